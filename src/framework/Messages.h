#pragma once
// Every message the system shows, in one table. Texts with "%s" and "%d" are filled in
// by FormatMessage in the order of their arguments.

#include <initializer_list>
#include <string>
#include <variant>

enum class Msg {
    OperationAborted,     // "Operation aborted"
    StreamReadError,      // "Stream read error"
    CannotOpenFile,       // "Cannot open file %s"
    UnableToWrite,        // "Unable to write to %s"
    ValueBetween,         // "Value must be between %d and %d"
    CannotAssign,         // "Cannot assign a %s to a %s"
    DibInvalid,           // "DIB is invalid"
    BitcountInvalid,      // "Bitcount in invalid (%d)"
    PixelFormatInvalid,   // "PixelFormat in invalid"
    ScanLineRange,        // "Index of the scanning line exceeded the range. (%d)"
    CannotBeMade,         // "%s cannot be made"
    NotMade,              // "%s not made"
    NotLoaded,            // "%s not loaded"
    CannotBeInitialized,  // "%s cannot be initialized"
    CannotBeLocked,       // "%s cannot be locked"
    WaveInvalid,          // "Wave is invalid"
    StreamAlreadyOpened,  // "Stream has already been opened"
    StreamNotOpened,      // "Stream not opend"
    ResourceNotFound,     // "Resource %s not found"
    FormNotFound,         // "Form not found"
    UnknownExtension,     // "Unknown picture file extension (.%s)"
    OutOfMemory,          // "Out of memory"
    NotValidFloat,        // "'%s' is not a valid floating point value"
};

// The text of a message in the user's language (the English above when no translation is
// installed), with its "%s"/"%d" placeholders.
std::string MessageText(Msg id);

using MsgArg = std::variant<long long, std::string>;

// Fills the placeholders of a message text in order: "%d" takes an integer argument and
// "%s" a text; "%%" is a percent sign. Missing arguments leave the placeholder empty.
std::string FormatText(const std::string& pattern, std::initializer_list<MsgArg> args);
std::string FormatMessage(Msg id, std::initializer_list<MsgArg> args = {});
