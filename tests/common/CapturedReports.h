// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records what the default error report would show, for as long as it lives, then puts the
// previous report back.

#include "framework/Application.h"

#include <string>
#include <utility>
#include <vector>

class CapturedReports {
public:
    CapturedReports()
        : previous_(TApplication::SetErrorReport(
              [this](const std::string& message) { messages.push_back(message); })) {}
    ~CapturedReports() { TApplication::SetErrorReport(std::move(previous_)); }
    CapturedReports(const CapturedReports&) = delete;
    CapturedReports& operator=(const CapturedReports&) = delete;

    std::vector<std::string> messages;

private:
    TApplication::ErrorReport previous_;
};
