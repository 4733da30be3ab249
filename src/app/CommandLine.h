// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line: at most one file to open, a session (*.vsession) or a stimulus
// library (*.zdl); --help and --version answer in the terminal, before and without any window
// system, so they work where no display is.

#include <QStringList>
#include <optional>

// Names the program, its version and its desktop entry for the toolkit and the desktop.
void SetProgramIdentity();

// The exit status when the command line is answered without opening the window, or nothing
// when the window should open. Until the toolkit has taken its own options (-platform,
// -display...) from the arguments, only --help and --version are answered; afterwards one file
// is taken into fileToOpen and everything else is refused.
std::optional<int> AnswerCommandLine(const QStringList& arguments, bool toolkitOptionsTaken,
                                     QString* fileToOpen = nullptr);
