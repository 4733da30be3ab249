// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

bool OpenWithDefaultHandler(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}
