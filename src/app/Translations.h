// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The translations that come with the programs: one Qt message file per language
// (velmora_de.qm, velmora_ru.qm) in the "translations" data folder, beside the program in a
// build tree or in the installed data directory. The toolkit's own texts (Cancel, Close, the
// command line parser's) come from the toolkit's translations of the same language.

#include <QString>

class QLocale;

// Installs the translation for the first of the locale's user-interface languages that has
// one, in place of one installed before. English, the language the texts are written in, ends
// the search, so a user who prefers English before another language reads English. Returns the
// language installed ("de"), empty when none. Needs the application object.
QString InstallTranslations(const QLocale& locale);

// The folder the message files are read from; empty when there is none.
QString TranslationsFolder();

#include <initializer_list>
#include <string>

// A translated message for a terminal, in the locale's encoding, with its %1, %2... (up to %9)
// replaced by the bytes given, exactly as they are (file names need not be valid text).
std::string FillIn(const QString& text, std::initializer_list<std::string> args = {});
