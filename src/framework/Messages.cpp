// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/Messages.h"

#include <QCoreApplication>
#include <cstddef>

namespace {

// The English texts, marked for translation under the context "Messages".
const char* SourceText(Msg id) {
    switch (id) {
    case Msg::OperationAborted:
        return QT_TRANSLATE_NOOP("Messages", "Operation aborted");
    case Msg::StreamReadError:
        return QT_TRANSLATE_NOOP("Messages", "Stream read error");
    case Msg::CannotOpenFile:
        return QT_TRANSLATE_NOOP("Messages", "Cannot open file %s");
    case Msg::UnableToWrite:
        return QT_TRANSLATE_NOOP("Messages", "Unable to write to %s");
    case Msg::ValueBetween:
        return QT_TRANSLATE_NOOP("Messages", "Value must be between %d and %d");
    case Msg::CannotAssign:
        return QT_TRANSLATE_NOOP("Messages", "Cannot assign a %s to a %s");
    case Msg::DibInvalid:
        return QT_TRANSLATE_NOOP("Messages", "DIB is invalid");
    case Msg::BitcountInvalid:
        return QT_TRANSLATE_NOOP("Messages", "Bitcount in invalid (%d)");
    case Msg::PixelFormatInvalid:
        return QT_TRANSLATE_NOOP("Messages", "PixelFormat in invalid");
    case Msg::ScanLineRange:
        return QT_TRANSLATE_NOOP("Messages", "Index of the scanning line exceeded the range. (%d)");
    case Msg::CannotBeMade:
        return QT_TRANSLATE_NOOP("Messages", "%s cannot be made");
    case Msg::NotMade:
        return QT_TRANSLATE_NOOP("Messages", "%s not made");
    case Msg::NotLoaded:
        return QT_TRANSLATE_NOOP("Messages", "%s not loaded");
    case Msg::CannotBeInitialized:
        return QT_TRANSLATE_NOOP("Messages", "%s cannot be initialized");
    case Msg::CannotBeLocked:
        return QT_TRANSLATE_NOOP("Messages", "%s cannot be locked");
    case Msg::WaveInvalid:
        return QT_TRANSLATE_NOOP("Messages", "Wave is invalid");
    case Msg::StreamAlreadyOpened:
        return QT_TRANSLATE_NOOP("Messages", "Stream has already been opened");
    case Msg::StreamNotOpened:
        return QT_TRANSLATE_NOOP("Messages", "Stream not opend");
    case Msg::ResourceNotFound:
        return QT_TRANSLATE_NOOP("Messages", "Resource %s not found");
    case Msg::FormNotFound:
        return QT_TRANSLATE_NOOP("Messages", "Form not found");
    case Msg::UnknownExtension:
        return QT_TRANSLATE_NOOP("Messages", "Unknown picture file extension (.%s)");
    case Msg::OutOfMemory:
        return QT_TRANSLATE_NOOP("Messages", "Out of memory");
    case Msg::NotValidFloat:
        return QT_TRANSLATE_NOOP("Messages", "'%s' is not a valid floating point value");
    case Msg::SessionTooLarge:
        return QT_TRANSLATE_NOOP("Messages", "%s is larger than 1 MiB");
    case Msg::SessionNotFile:
        return QT_TRANSLATE_NOOP("Messages", "%s is not a regular file");
    case Msg::SessionReadError:
        return QT_TRANSLATE_NOOP("Messages", "%s cannot be read");
    case Msg::SessionLine:
        return QT_TRANSLATE_NOOP("Messages", "%s, line %d: %s");
    case Msg::SessionNoPoints:
        return QT_TRANSLATE_NOOP("Messages", "%s holds no points");
    case Msg::SessionNotText:
        return QT_TRANSLATE_NOOP("Messages", "not UTF-8 text");
    case Msg::SessionIncomplete:
        return QT_TRANSLATE_NOOP("Messages", "a point needs a time and a frequency");
    case Msg::SessionBadTime:
        return QT_TRANSLATE_NOOP("Messages", "time \"%s\" is not m:ss or h:mm:ss");
    case Msg::SessionTimeOrder:
        return QT_TRANSLATE_NOOP("Messages", "time %s does not come after %s");
    case Msg::SessionBadFrequency:
        return QT_TRANSLATE_NOOP(
            "Messages",
            "frequency \"%s\" is not a number with a decimal point and up to three decimals");
    case Msg::SessionFrequencyRange:
        return QT_TRANSLATE_NOOP("Messages", "frequency %s is outside 0.1..35.0");
    case Msg::SessionUnknownSetting:
        return QT_TRANSLATE_NOOP(
            "Messages",
            "unknown setting \"%s\" (depth, am, fm, volume, half, tone, carrier, cue, say)");
    case Msg::SessionSettingRange:
        return QT_TRANSLATE_NOOP("Messages", "%s must be a whole number from %d to %d");
    case Msg::SessionHalfValue:
        return QT_TRANSLATE_NOOP("Messages", "half must be on or off");
    case Msg::SessionToneValue:
        return QT_TRANSLATE_NOOP("Messages", "tone must be off, binaural or isochronic");
    case Msg::SessionSettingTwice:
        return QT_TRANSLATE_NOOP("Messages", "%s is set twice");
    case Msg::SessionTooManyPoints:
        return QT_TRANSLATE_NOOP("Messages", "more than %d points");
    case Msg::SessionNoLength:
        return QT_TRANSLATE_NOOP("Messages",
                                 "the last point is at 0:00, so the session has no length");
    case Msg::SessionCueValue:
        return QT_TRANSLATE_NOOP("Messages", "cue must be bell");
    case Msg::SessionSayQuotes:
        return QT_TRANSLATE_NOOP("Messages", "say takes a text in double quotes: say=\"...\"");
    case Msg::SessionSayOpen:
        return QT_TRANSLATE_NOOP("Messages", "the text's closing quote is missing");
    case Msg::SessionSayEscape:
        return QT_TRANSLATE_NOOP(
            "Messages", "unknown escape \"%s\" in the text (only \\\" and \\\\ are known)");
    case Msg::SessionSayControl:
        return QT_TRANSLATE_NOOP("Messages", "the text holds a control character");
    case Msg::SessionSayLong:
        return QT_TRANSLATE_NOOP("Messages", "the text is longer than %d characters");
    }
    return "";
}

} // namespace

std::string MessageText(Msg id) {
    return QCoreApplication::translate("Messages", SourceText(id)).toStdString();
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

std::string TranslatedText(const char* context, const char* source,
                           std::initializer_list<std::string> args) {
    return FillText(QCoreApplication::translate(context, source).toStdString(), args);
}

std::string FillText(const std::string& pattern, std::initializer_list<std::string> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < args.size()) {
            out += *(args.begin() + index);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}
