// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Set once, before any handler is installed, and never closed: a handler may have read it on
// another thread just as the object goes, and a closed number could by then name another file.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_writeEnd = -1;

void OnQuitSignal(int signal) {
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    if (g_writeEnd >= 0) {
        // A full pipe already holds requests; nothing is lost when this one is dropped.
        [[maybe_unused]] const ssize_t written = write(g_writeEnd, &number, 1);
    }
    errno = savedErrno;
}

} // namespace

TQuitSignals::TQuitSignals(THandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    if (g_pipe[0] < 0) {
        if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            std::perror("Cannot watch for requests to end the program");
            g_pipe[0] = g_pipe[1] = -1;
            return;
        }
        g_writeEnd = g_pipe[1];
    }
    readEnd_ = g_pipe[0];
    // What reached the pipe after the last object stopped reading was meant for that one.
    unsigned char stale[64];
    while (read(readEnd_, stale, sizeof stale) > 0) {
    }
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Deliver(); });

    struct sigaction action = {};
    action.sa_handler = &OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESTART | SA_RESETHAND); // a flag in the sign bit
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (sigaction(kSignals[i], nullptr, &previous_[i]) != 0) continue;
        if (previous_[i].sa_handler == SIG_IGN) continue;
        installed_[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

TQuitSignals::~TQuitSignals() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (installed_[i]) sigaction(kSignals[i], &previous_[i], nullptr);
    }
    delete notifier_;
}

void TQuitSignals::Deliver() {
    unsigned char numbers[16];
    ssize_t count;
    while ((count = read(readEnd_, numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (handler_) handler_(numbers[i]);
        }
    }
}
