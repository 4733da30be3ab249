// SPDX-License-Identifier: GPL-3.0-or-later
// Program start: the application object, the watch for quit signals, the main window, the
// about box created hidden, the message loop until the main window closes, then the end in
// reverse order.
#include "app/About.h"
#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/Translations.h"
#include "app/main.h"
#include "app/mainAccessible.h"
#include "app/mainFlash.h"
#include "app/mainJournal.h"
#include "audio/SoundEnvironment.h"
#include "controls/ControlsAccessible.h"
#include "framework/Application.h"
#include "platform/QuitSignals.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <memory>

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    SetProgramIdentity();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    {
        // --help and --version answer in the user's language before any display is opened.
        QCoreApplication early(argc, argv);
        InstallTranslations(QLocale::system());
        if (const auto status = AnswerCommandLine(arguments, false)) return *status;
    }

    QApplication app(argc, argv);
    InstallTranslations(QLocale::system());
    // Before any control exists, since each gets its accessible interface when first made.
    InstallControlsAccessibility();
    QString fileToOpen;
    if (const auto status = AnswerCommandLine(QApplication::arguments(), true, &fileToOpen))
        return *status;
    SetProgramIcon();

    int status = 0;
    // A request to end the program from outside closes the window as its close button does,
    // so the settings are saved; a dialog waiting for an answer is dismissed first. Watched
    // before the window is made: making it and opening the file named on the command line may
    // each raise a message box, and a request then must not kill the program unsaved.
    bool quitRequested = false;
    QPointer<TMainForm> form;
    TQuitSignals quitSignals([&quitRequested, &form](int) {
        quitRequested = true;
        Guard([&form] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            if (form) form->Journal()->QuitSignalled(); // the run ends by the signal
            if (form) form->close();
        });
    });
    {
        // Closing the main window ends the loop; it is destroyed here, while the
        // application object still exists, and saves the settings as it goes.
        // The program asks for the photosensitivity warning to be accepted before its first run.
        TMainFlash::AskWarning = true;
        TMainForm mainForm;
        form = &mainForm;
        MakeAccessible(mainForm);
        if (!fileToOpen.isEmpty() && !quitRequested) Guard([&] { mainForm.OpenFile(fileToOpen); });
        if (!quitRequested) {
            TAboutBox aboutBox;
            SetAboutBox(&aboutBox);
            mainForm.show();
            status = TApplication::Run();
            SetAboutBox(nullptr);
        }
    }
    return status;
}
