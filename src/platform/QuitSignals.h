// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests to end the program from outside: SIGTERM (kill, timeout, a session's logout), SIGINT
// (Ctrl+C in a terminal) and SIGHUP (the terminal went away). The signal handler only writes
// the signal's number into a pipe; a socket notifier reads it in the GUI thread's event loop,
// where the program may do whatever ending needs. A second signal of the same kind takes its
// default action, so a program that no longer answers can still be stopped. A signal that
// was ignored when the program started (nohup) stays ignored. The pipe is made once and stays
// open until the process ends: a handler running on another thread may still be writing to it
// while the object that installed it goes.

#include <QObject>

#include <functional>
#include <iterator>
#include <signal.h>

class QSocketNotifier;

class TQuitSignals : public QObject {
public:
    using THandler = std::function<void(int signal)>;

    // One at a time in a process. The handler runs on the thread that made the object.
    explicit TQuitSignals(THandler handler, QObject* parent = nullptr);
    // Gives the signals back the handling they had before; a request already in the pipe is
    // dropped when the next object starts watching.
    ~TQuitSignals() override;
    TQuitSignals(const TQuitSignals&) = delete;
    TQuitSignals& operator=(const TQuitSignals&) = delete;

private:
    void Deliver();

    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
    THandler handler_;
    int readEnd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    bool installed_[std::size(kSignals)] = {};
    struct sigaction previous_[std::size(kSignals)] = {};
};
