// SPDX-License-Identifier: GPL-3.0-or-later
// From process start to the first painted picture of the default library.
//
// The benchmark starts itself again as a child process several times; each child builds the
// program's windows as the program does, shows the main window and reports the moment its
// picture area has first been painted with the library picture. The parent measures from just
// before starting the child, so loading the program and its libraries is included.
//
// Run it from the build tree (the default library main.zdl lies in the build directory, the
// parent of this program's directory). Set QT_QPA_PLATFORM or DISPLAY to choose the platform,
// LANGUAGE to choose the translation loaded.
#include "app/About.h"
#include "app/Translations.h"
#include "app/main.h"
#include "app/mainAccessible.h"
#include "audio/SoundEnvironment.h"
#include "controls/ControlsAccessible.h"
#include "picture/DXPaintBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
long long NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class FirstPaint : public QObject {
public:
    explicit FirstPaint(TMainForm& form) : form_(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && watched == form_.PaintBox1 && event->type() == QEvent::Paint &&
            !form_.PaintBox1->DIB().IsEmpty()) {
            done_ = true;
            // The paint event runs after this filter; the next turn of the loop sees it done.
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", NowNs());
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return false;
    }

private:
    TMainForm& form_;
    bool done_ = false;
};

int Child(int argc, char** argv) {
    QApplication app(argc, argv);
    // As the program starts: the user's language (LANGUAGE=de measures a loaded translation,
    // LANGUAGE=en none), the controls' accessibility, then the window.
    InstallTranslations(QLocale::system());
    InstallControlsAccessibility();
    TMainForm form;
    MakeAccessible(form);
    TAboutBox about;
    SetAboutBox(&about);
    FirstPaint probe(form);
    form.PaintBox1->installEventFilter(&probe);
    form.show();
    QTimer::singleShot(10000, [] { QApplication::exit(1); });
    const int status = QApplication::exec();
    SetAboutBox(nullptr);
    return status;
}

long long RunChild(const char* self) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    char* childArgv[] = {const_cast<char*>(self), const_cast<char*>("--child"), nullptr};
    pid_t pid = 0;
    const long long start = NowNs();
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, childArgv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return -1;
    }
    std::string out;
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.empty()) return -1;
    return std::atoll(out.c_str()) - start;
}
} // namespace

int main(int argc, char** argv) {
    PrepareSoundEnvironment(); // before any thread starts
    if (argc > 1 && std::string(argv[1]) == "--child") return Child(argc, argv);

    // A fresh configuration directory: the first start of a new user, default library.
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const QFileInfo program(QString::fromLocal8Bit(argv[0]));
    const std::string self = program.absoluteFilePath().toStdString();
    const QString buildDir =
        QDir::cleanPath(program.absoluteDir().absoluteFilePath(QStringLiteral("..")));
    if (chdir(buildDir.toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "cannot enter the build directory\n");
        return 1;
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const long long ns = RunChild(self.c_str());
        if (ns < 0) {
            std::fprintf(stderr, "run %d: the child failed\n", i + 1);
            return 1;
        }
        ms.push_back(ns / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("process start to first painted picture (%d runs, %s): median %.1f ms, "
                "min %.1f ms, max %.1f ms\n",
                runs, getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "xcb",
                ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
