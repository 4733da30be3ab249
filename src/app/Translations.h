// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The translations that come with the program. The texts are written in English; so far only
// the frequency's unit is translated: the languages that abbreviate hertz in Cyrillic read
// "Гц", every other language "Hz".

class QLocale;

// Installs the translation for the first of the locale's user-interface languages that the
// program knows (English among them), in place of one installed before.
void InstallTranslations(const QLocale& locale);
