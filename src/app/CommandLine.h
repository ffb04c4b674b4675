// The program's command line: velmora [--profile CODE] [FILE...]. Files named there are added as
// if dropped on the job list; with --profile they skip the format chooser and the option
// settings and take the profile's preselected choices, as velmora-cli convert -p does.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace velmora::app {

struct CommandLine {
    std::optional<int> profileCode;
    QStringList files;  // absolute paths, in the order given
    // --data-folders (not in the help): print where the skins, help and sounds were found, and
    // exit. The installation test asks an installed program this.
    bool reportDataFolders = false;
};

struct CommandLineParse {
    std::optional<CommandLine> commandLine;  // empty: exit with exitCode after printing output
    int exitCode = 0;
    QString output;     // for standard output (help, version)
    QString errorText;  // for standard error
};

// arguments as QCoreApplication::arguments() gives them (the program first); relative file names
// are taken from workingFolder.
CommandLineParse parseCommandLine(const QStringList& arguments, const QString& workingFolder);

}  // namespace velmora::app
