// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Application.h"

#include "framework/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>

namespace {
TApplication::ErrorReport& CurrentReport() {
    static TApplication::ErrorReport report;
    return report;
}

bool g_reporting = false;
} // namespace

int TApplication::Run() {
    return QApplication::exec();
}

void TApplication::HandleException(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EAbort&) {
        // A silent abort is shown by no one.
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException(QCoreApplication::translate("TApplication", "Unknown failure").toStdString());
    }
}

void TApplication::ShowException(const std::string& message) {
    if (CurrentReport()) {
        CurrentReport()(message);
        return;
    }
    std::fprintf(stderr, "velmora: %s\n", message.c_str());
    // A failure raised while a report is already on screen (for example by a timer that keeps
    // firing under the modal box) goes to the log only, so messages never pile up in a loop.
    if (g_reporting || QApplication::instance() == nullptr) return;
    g_reporting = true;
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          QString::fromUtf8(message));
    g_reporting = false;
}

TApplication::ErrorReport TApplication::SetErrorReport(ErrorReport report) {
    ErrorReport previous = std::move(CurrentReport());
    CurrentReport() = std::move(report);
    return previous;
}
