// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plain notification event of components and controls: the handler learns who sent it.

#include <functional>

class QObject;

using TNotifyEvent = std::function<void(QObject* sender)>;
