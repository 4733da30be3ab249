// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the reader tests compare: the session's point lines without its comments, and the
// message a refused file gets.
#include "exchange/Import.h"

#include <string>
#include <vector>

template <typename Reader>
std::string PointLines(Reader read, const std::string& text, const std::string& name,
                       std::vector<std::string>* report = nullptr) {
    const TImported imported = read(text, name);
    if (report) *report = imported.Report;
    std::string points;
    for (size_t start = 0; start < imported.Text.size();) {
        const size_t end = imported.Text.find('\n', start);
        const std::string line = imported.Text.substr(start, end - start);
        if (line.front() != '#') points += line + "\n";
        start = end + 1;
    }
    return points;
}

template <typename Reader>
std::string RefusalOf(Reader read, const std::string& text, const std::string& name) {
    try {
        read(text, name);
    } catch (const EImportError& e) {
        return e.Message();
    }
    return "imported";
}
