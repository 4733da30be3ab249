// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

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
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("Cannot watch for requests to end the program");
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    g_writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
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
    g_writeEnd = -1;
    delete notifier_;
    for (int end : pipe_) {
        if (end >= 0) close(end);
    }
}

void TQuitSignals::Deliver() {
    unsigned char numbers[16];
    ssize_t count;
    while ((count = read(pipe_[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (handler_) handler_(numbers[i]);
        }
    }
}
