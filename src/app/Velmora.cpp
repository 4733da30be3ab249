// Program start: the application object, the main window, the message loop.
#include "framework/Application.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("velmora");
    QApplication::setApplicationDisplayName("Velmora");
    QWidget window;
    window.setWindowTitle("Velmora Beta 2.4");
    window.resize(576, 400);
    window.show();
    return TApplication::Run();
}
