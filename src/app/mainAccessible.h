// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window for assistive technology and the keyboard: the knobs named by the labels
// under them, the frequency named, the round button named by what pressing it does now, the
// picture described by which picture it is and whether it runs; every control reachable with
// Tab, left to right, with its focus shown.

class TMainForm;

void MakeAccessible(TMainForm& form);
