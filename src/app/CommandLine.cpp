#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

#include "profiles/ProfileCatalogue.h"

namespace velmora::app {

namespace {

constexpr int kUsageExitCode = 2;

CommandLineParse exitWith(int code, QString output, QString error) {
    CommandLineParse parse;
    parse.exitCode = code;
    parse.output = std::move(output);
    parse.errorText = std::move(error);
    return parse;
}

}  // namespace

CommandLineParse parseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Velmora: batch conversion of video and audio files"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption profile(
        {QStringLiteral("p"), QStringLiteral("profile")},
        QStringLiteral("Add the files with this profile's preselected choices, without the "
                       "format chooser (`velmora-cli profiles` lists the codes)."),
        QStringLiteral("CODE"));
    QCommandLineOption dataFolders(QStringLiteral("data-folders"),
                                   QStringLiteral("Print where the data folders were found."));
    dataFolders.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(profile);
    parser.addOption(dataFolders);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Files to add."),
                                 QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments)) {
        return exitWith(kUsageExitCode, {}, parser.errorText());
    }
    if (parser.isSet(help)) {
        return exitWith(0, parser.helpText(), {});
    }
    if (parser.isSet(version)) {
        return exitWith(0, QStringLiteral("velmora 0.1.0\n"), {});
    }

    CommandLine commandLine;
    commandLine.reportDataFolders = parser.isSet(dataFolders);
    if (parser.isSet(profile)) {
        bool isNumber = false;
        const int code = parser.value(profile).toInt(&isNumber);
        if (!isNumber || findProfile(code) == nullptr) {
            return exitWith(kUsageExitCode, {},
                            QStringLiteral("unknown profile \"%1\" (velmora-cli profiles lists "
                                           "them)")
                                .arg(parser.value(profile)));
        }
        commandLine.profileCode = code;
    }
    const QDir base(workingFolder);
    for (const QString& file : parser.positionalArguments()) {
        commandLine.files << QDir::cleanPath(base.absoluteFilePath(file));
    }
    CommandLineParse parse;
    parse.commandLine = std::move(commandLine);
    return parse;
}

}  // namespace velmora::app
