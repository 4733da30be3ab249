#include "framework/Messages.h"

#include <cstddef>

const char* MessageText(Msg id) {
    switch (id) {
    case Msg::OperationAborted: return "Operation aborted";
    case Msg::StreamReadError: return "Stream read error";
    case Msg::CannotOpenFile: return "Cannot open file %s";
    case Msg::UnableToWrite: return "Unable to write to %s";
    case Msg::ValueBetween: return "Value must be between %d and %d";
    case Msg::CannotAssign: return "Cannot assign a %s to a %s";
    case Msg::DibInvalid: return "DIB is invalid";
    case Msg::BitcountInvalid: return "Bitcount in invalid (%d)";
    case Msg::PixelFormatInvalid: return "PixelFormat in invalid";
    case Msg::ScanLineRange: return "Index of the scanning line exceeded the range. (%d)";
    case Msg::CannotBeMade: return "%s cannot be made";
    case Msg::NotMade: return "%s not made";
    case Msg::NotLoaded: return "%s not loaded";
    case Msg::CannotBeInitialized: return "%s cannot be initialized";
    case Msg::CannotBeLocked: return "%s cannot be locked";
    case Msg::WaveInvalid: return "Wave is invalid";
    case Msg::StreamAlreadyOpened: return "Stream has already been opened";
    case Msg::StreamNotOpened: return "Stream not opend";
    case Msg::ResourceNotFound: return "Resource %s not found";
    case Msg::FormNotFound: return "Form not found";
    case Msg::UnknownExtension: return "Unknown picture file extension (.%s)";
    case Msg::OutOfMemory: return "Out of memory";
    case Msg::NotValidFloat: return "'%s' is not a valid floating point value";
    case Msg::SessionTooLarge: return "%s is larger than 1 MiB";
    case Msg::SessionLine: return "%s, line %d: %s";
    case Msg::SessionNoPoints: return "%s holds no points";
    case Msg::SessionNotText: return "not UTF-8 text";
    case Msg::SessionIncomplete: return "a point needs a time and a frequency";
    case Msg::SessionBadTime: return "time \"%s\" is not m:ss or h:mm:ss";
    case Msg::SessionTimeOrder: return "time %s does not come after %s";
    case Msg::SessionBadFrequency:
        return "frequency \"%s\" is not a number with a decimal point and up to three decimals";
    case Msg::SessionFrequencyRange: return "frequency %s is outside 0.1..35.0";
    case Msg::SessionUnknownSetting: return "unknown setting \"%s\" (depth, am, fm, volume, half)";
    case Msg::SessionSettingRange: return "%s must be a whole number from %d to %d";
    case Msg::SessionHalfValue: return "half must be on or off";
    case Msg::SessionSettingTwice: return "%s is set twice";
    case Msg::SessionTooManyPoints: return "more than %d points";
    case Msg::SessionNoLength: return "the last point is at 0:00, so the session has no length";
    }
    return "";
}

std::string FormatText(const std::string& pattern, std::initializer_list<MsgArg> args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const char kind = pattern[i + 1];
        if (kind == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (kind != 'd' && kind != 's') {
            out += c;
            continue;
        }
        ++i;
        if (next == args.end()) continue;
        if (const auto* number = std::get_if<long long>(&*next)) {
            out += std::to_string(*number);
        } else {
            out += std::get<std::string>(*next);
        }
        ++next;
    }
    return out;
}

std::string FormatMessage(Msg id, std::initializer_list<MsgArg> args) {
    return FormatText(MessageText(id), args);
}
