// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "BuildInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

namespace {

struct CommandLine {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

void Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

} // namespace

void SetProgramIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVelmoraVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kVelmoraAppId));
}

std::optional<int> AnswerCommandLine(const QStringList& arguments, bool toolkitOptionsTaken,
                                     QString* fileToOpen) {
    QCommandLineParser parser;
    // "-platform" is one unknown option, not the letters p, l, a... of which h would ask for help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        CommandLine::tr("Light and sound pulsing together at a frequency you choose."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  CommandLine::tr("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     CommandLine::tr("Shows the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    // The argument's name as the usage line in the user's language writes it.
    const QString file = CommandLine::tr("FILE");
    parser.addPositionalArgument(
        file,
        CommandLine::tr("A session (*.vsession) to load in place of the remembered one, or a "
                        "stimulus library (*.zdl) to use."),
        QLatin1Char('[') + file + QLatin1Char(']'));
    const bool parsed = parser.parse(arguments);

    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The first line names the program as the user typed it; name it plainly.
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     CommandLine::tr("Usage: %1 [options] [FILE]").arg(QStringLiteral("velmora")));
        Print(stdout, text);
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("velmora %1\n").arg(QString::fromLatin1(kVelmoraVersion)));
        return 0;
    }
    if (!toolkitOptionsTaken) return std::nullopt;
    QString error;
    if (!parsed) {
        error = parser.errorText();
    } else if (parser.positionalArguments().size() > 1) {
        error = CommandLine::tr("velmora opens one file, not \"%1\" as well.")
                    .arg(parser.positionalArguments().at(1));
    } else if (parser.positionalArguments().size() == 1 && fileToOpen != nullptr) {
        *fileToOpen = parser.positionalArguments().constFirst();
    }
    if (error.isEmpty()) return std::nullopt;
    Print(
        stderr,
        QStringLiteral("velmora: %1\n%2\n").arg(error, CommandLine::tr("Try \"velmora --help\".")));
    return 1;
}
