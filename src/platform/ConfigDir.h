// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's configuration directory, home of a settings file named without a directory:
// $XDG_CONFIG_HOME/velmora when that is an absolute path, else ~/.config/velmora.

#include <string>

std::string ConfigDirectory();

// A name without any '/' lives in the configuration directory; any other name is used as is.
bool IsBareFileName(const std::string& fileName);
std::string ConfigFilePath(const std::string& fileName);

// Creates the configuration directory (and its parents) when missing; false when it cannot.
bool MakeConfigDirectory();
