// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Libraries that the program finds by name at run time. They are built into the program:
// a table of library names and, for each, its functions by name.

#include <cstdint>
#include <string>

using LibraryHandle = const struct BuiltInLibrary*;
using LibraryProc = void (*)();

// Loads a library by name, ignoring case as the platform's loader does; none when no such
// library exists.
LibraryHandle LoadBuiltInLibrary(const std::string& name);
void FreeBuiltInLibrary(LibraryHandle library);
// Finds a function by its exact name; none when the library has no such function.
LibraryProc FindBuiltInFunction(LibraryHandle library, const std::string& name);

// How many loads have been done in all; tests see from it whether a loader caches.
int BuiltInLibraryLoadCount();
// Test hook: makes a library appear missing (or present again).
void SetBuiltInLibraryAvailable(const std::string& name, bool available);
