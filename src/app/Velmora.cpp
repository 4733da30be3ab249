// Program start: the application object, the main window, the about box created hidden, the
// message loop until the main window closes, then the end in reverse order.
#include "app/About.h"
#include "app/AppIcon.h"
#include "app/main.h"
#include "framework/Application.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetUpProgramIdentity();

    int status = 0;
    {
        // Closing the main window ends the loop; it is destroyed here, while the
        // application object still exists.
        TMainForm mainForm;
        TAboutBox aboutBox;
        SetAboutBox(&aboutBox);
        mainForm.show();
        status = TApplication::Run();
        SetAboutBox(nullptr);
    }
    return status;
}
