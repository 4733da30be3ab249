// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a module named without a directory is looked for, in the order the module loader
// searches: the program's own directory, the data directory, then the current directory.

#include <string>
#include <vector>

std::vector<std::string> ModuleSearchDirectories();

// The file a module name refers to: a name with a directory part is taken as it is; a bare
// name becomes the first existing file of that name in the search directories, or stays as
// it is when there is none (so that opening it fails as a missing file).
std::string ResolveModulePath(const std::string& name);

// A folder of the program's data ("sessions"), found as a module is: beside the program (a
// build tree), else in the data directory. Empty when neither holds it.
std::string FindDataFolder(const std::string& name);
