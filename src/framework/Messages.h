// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message the system shows, in one table. Texts with "%s" and "%d" are filled in
// by FormatMessage in the order of their arguments.

#include <initializer_list>
#include <string>
#include <variant>

enum class Msg {
    OperationAborted,    // "Operation aborted"
    StreamReadError,     // "Stream read error"
    CannotOpenFile,      // "Cannot open file %s"
    UnableToWrite,       // "Unable to write to %s"
    ValueBetween,        // "Value must be between %d and %d"
    CannotAssign,        // "Cannot assign a %s to a %s"
    DibInvalid,          // "DIB is invalid"
    BitcountInvalid,     // "Bitcount in invalid (%d)"
    PixelFormatInvalid,  // "PixelFormat in invalid"
    ScanLineRange,       // "Index of the scanning line exceeded the range. (%d)"
    CannotBeMade,        // "%s cannot be made"
    NotMade,             // "%s not made"
    NotLoaded,           // "%s not loaded"
    CannotBeInitialized, // "%s cannot be initialized"
    CannotBeLocked,      // "%s cannot be locked"
    WaveInvalid,         // "Wave is invalid"
    StreamAlreadyOpened, // "Stream has already been opened"
    StreamNotOpened,     // "Stream not opend"
    ResourceNotFound,    // "Resource %s not found"
    FormNotFound,        // "Form not found"
    UnknownExtension,    // "Unknown picture file extension (.%s)"
    OutOfMemory,         // "Out of memory"
    NotValidFloat,       // "'%s' is not a valid floating point value"
    // Session files: the refusals name the file and the line.
    SessionTooLarge,       // "%s is larger than 1 MiB"
    SessionNotFile,        // "%s is not a regular file"
    SessionReadError,      // "%s cannot be read"
    SessionLine,           // "%s, line %d: %s"
    SessionNoPoints,       // "%s holds no points"
    SessionNotText,        // "not UTF-8 text"
    SessionIncomplete,     // "a point needs a time and a frequency"
    SessionBadTime,        // "time \"%s\" is not m:ss or h:mm:ss"
    SessionTimeOrder,      // "time %s does not come after %s"
    SessionBadFrequency,   // "frequency \"%s\" is not a number with a decimal point and ..."
    SessionFrequencyRange, // "frequency %s is outside 0.1..35.0"
    SessionUnknownSetting, // "unknown setting \"%s\" (depth, am, fm, volume, half, tone, carrier,
                           // cue, say)"
    SessionSettingRange,   // "%s must be a whole number from %d to %d"
    SessionHalfValue,      // "half must be on or off"
    SessionToneValue,      // "tone must be off, binaural or isochronic"
    SessionSettingTwice,   // "%s is set twice"
    SessionTooManyPoints,  // "more than %d points"
    SessionNoLength,       // "the last point is at 0:00, so the session has no length"
    SessionCueValue,       // "cue must be bell"
    SessionSayQuotes,      // "say takes a text in double quotes: say=\"...\""
    SessionSayOpen,        // "the text's closing quote is missing"
    SessionSayEscape,      // "unknown escape \"%s\" in the text (only \\\" and \\\\ are known)"
    SessionSayControl,     // "the text holds a control character"
    SessionSayLong,        // "the text is longer than %d characters"
};

// The text of a message in the user's language (the English above when no translation is
// installed), with its "%s"/"%d" placeholders.
std::string MessageText(Msg id);

using MsgArg = std::variant<long long, std::string>;

// Fills the placeholders of a message text in order: "%d" takes an integer argument and
// "%s" a text; "%%" is a percent sign. Missing arguments leave the placeholder empty.
std::string FormatText(const std::string& pattern, std::initializer_list<MsgArg> args);
std::string FormatMessage(Msg id, std::initializer_list<MsgArg> args = {});

// A text marked for translation under context (QT_TRANSLATE_NOOP), in the user's language as
// UTF-8, with its %1, %2... (up to %9) replaced by the bytes given, exactly as they are: names
// of files need not be valid text. Without a translation the English text is filled in.
// The English form: pattern with %1... filled in the same way.
std::string FillText(const std::string& pattern, std::initializer_list<std::string> args);
std::string TranslatedText(const char* context, const char* source,
                           std::initializer_list<std::string> args = {});
