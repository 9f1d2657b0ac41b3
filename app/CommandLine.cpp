#include "CommandLine.h"

#include "TorneviApplication.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Reader for the complete poems of Tornevi Ubrel.\n"
        "While it runs, it writes its poem database into the current directory as Tornevi.db."));
    // "-reverse" is one of Qt's own options, not the letters r, e, v, e, r, s, e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not Qt's help option: its --help-all could list only the options of a program without windows.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Displays help on commandline options.")));
    parser.addVersionOption();
}
} // namespace

CommandLine::Request CommandLine::request(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    // Unknown options are no error here: they are left to Qt and to the program, as before.
    static_cast<void>(parser.parse(arguments));
    if (parser.isSet(QStringLiteral("version")))
        return Request::Version;
    if (parser.isSet(QStringLiteral("help")))
        return Request::Help;
    return Request::Run;
}

void CommandLine::answer(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Request asked = request(arguments);
    if (asked == Request::Run)
        return;

    // A core application needs no display; Qt prints the answer and ends the process with status 0.
    QCoreApplication app(argc, argv);
    app.setApplicationName(TorneviApplication::titleFromPath(QCoreApplication::applicationFilePath()));
    app.setApplicationVersion(QStringLiteral(TORNEVI_VERSION));
    QCommandLineParser parser;
    describe(parser);
    if (asked == Request::Version)
        parser.showVersion();
    parser.showHelp(0);
}
