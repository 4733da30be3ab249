// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's shell: a web or "mailto:" address opened with the user's default handler.

class QUrl;

// Hands the address to the desktop and returns at once, without waiting for the handler.
// False when the desktop refused it.
bool OpenWithDefaultHandler(const QUrl& address);
