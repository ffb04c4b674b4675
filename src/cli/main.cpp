#include <unistd.h>
#include <CLI/CLI.hpp>

#include <iostream>
#include <sstream>

#include "cli/CatalogueCommands.h"
#include "cli/ConvertCommand.h"
#include "cli/LibsCommand.h"
#include "cli/LockCommand.h"
#include "cli/LogPrinter.h"
#include "cli/PasswordInput.h"
#include "cli/PlayCommand.h"
#include "cli/ProbeCommand.h"
#include "cli/RunJobsCommand.h"
#include "cli/TaskCommand.h"
#include "profiles/LockFile.h"

namespace {

constexpr int kUsageExitCode = 2;

struct ExitCode {
    int code;
    const char* meaning;
};

// The end of a command's help: what its exit codes mean.
std::string exitCodes(std::initializer_list<ExitCode> codes) {
    std::ostringstream text;
    text << "Exit codes:\n";
    for (const ExitCode& code : codes) {
        text << "  " << code.code << std::string(code.code < 10 ? 5 : 3, ' ') << code.meaning
             << '\n';
    }
    return text.str();
}

constexpr ExitCode kUsage{2, "usage error: an unknown command or option, a missing or bad value"};
constexpr ExitCode kInterrupted{130, "stopped by Ctrl-C or SIGTERM"};
constexpr ExitCode kBatchFailed{
    1,
    "a job was not added, failed or is incomplete; or the media libraries or the output folder "
    "cannot be used"};

// The command a word of the command line was given to: "velmora-cli", "velmora-cli lock".
std::string commandPath(const CLI::App& command) {
    const CLI::App* parent = command.get_parent();
    return parent == nullptr ? command.get_name() : commandPath(*parent) + " " + command.get_name();
}

// The innermost command parsed; the one a missing subcommand belongs to.
const CLI::App& innermostCommand(const CLI::App& app) {
    const std::vector<const CLI::App*> parsed = app.get_subcommands({});
    for (const CLI::App* command : parsed) {
        if (command->parsed()) {
            return innermostCommand(*command);
        }
    }
    return app;
}

// CLI11 only says that a command is required; the user wants to know which word was not
// understood and what the commands are.
int unknownCommand(const CLI::App& command, std::ostream& err) {
    std::string names;
    for (const CLI::App* subcommand : command.get_subcommands({})) {
        names += names.empty() ? "" : ", ";
        names += subcommand->get_name();
    }
    const std::string path = commandPath(command);
    const std::vector<std::string> words = command.remaining();
    if (words.empty()) {
        err << path << ": no command given";
    } else if (words.front().starts_with("-")) {
        err << path << ": unknown option \"" << words.front() << "\"";
    } else {
        err << path << ": unknown command \"" << words.front() << "\"";
    }
    err << "; the commands are " << names << "\nRun " << path << " --help for more information.\n";
    return kUsageExitCode;
}

void addPlayCommand(CLI::App& app, velmora::cli::PlayOptions& options, CLI::App*& command) {
    command = app.add_subcommand("play", "Play a media file in a window (or headless)");
    command->add_option("FILE", options.file, "The file to play")->required();
    command->add_flag("--paused", options.paused, "Open paused, showing the first picture");
    command->add_flag("--mute", options.mute, "Play without sound");
    command->add_option("--seek", options.seekSeconds, "Seek to this time (seconds) after opening")
        ->check(CLI::NonNegativeNumber);
    command->add_option("--for", options.forSeconds, "Stop after this many seconds")
        ->check(CLI::PositiveNumber);
    command->add_option("--snapshot", options.snapshotPath,
                        "Save the picture on screen as a BMP file after the seek");
    command->footer(exitCodes({{0, "played to the end or for the time asked"},
                               {1, "the libraries, the file or the snapshot failed"},
                               kUsage}));
}

CLI::App* addConvertCommand(CLI::App& app, velmora::cli::ConvertOptions& options) {
    CLI::App* command = app.add_subcommand(
        "convert", "Convert files with one of the 75 profiles, as the window's one-file add does");
    command->add_option("-p,--profile", options.profileCode,
                        "Profile code (default 400; `velmora-cli profiles` lists them)");
    command->add_option("-o,--output", options.outputFolder,
                        "Output folder (default: [OutPath] OutPath of system.ini, else "
                        "$HOME/Video_Directory)");
    command->add_flag("--overwrite", options.overwrite,
                      "Overwrite existing outputs instead of naming them \"(New_n)\"");
    command->add_option("-j,--jobs", options.parallel, "Files converted at once (default 1)");
    command->add_option("--priority", options.priority,
                        "Worker priority: idle, lowest, lower or normal (default normal)");
    command
        ->add_option("--set", options.settings,
                     "LIST=ENTRY: pick another entry of one of the profile's option lists "
                     "(video-encoder, video-bitrate, frame-size, frame-rate, audio-encoder, "
                     "audio-bitrate, sample-rate, scaling, volume, channels); "
                     "`velmora-cli options -p CODE` shows them")
        ->take_all()
        ->allow_extra_args(false);
    command->add_flag("--flip-h", options.flipHorizontal, "Mirror the picture left to right");
    command->add_flag("--flip-v", options.flipVertical, "Turn the picture upside down");
    command->add_flag("--negate", options.negative, "Negative picture");
    command->add_option("--cut", options.cut,
                        "HH:MM:SS-HH:MM:SS: convert only this part of each source");
    command->add_option("--ext-options", options.extOptions,
                        "Extra engine options (name=value lines) for each output; the profile's "
                        "own choices take precedence over them, and a name nothing in the engine "
                        "knows is reported as a warning");
    command->add_flag("-r,--recursive", options.recursive,
                      "Take the media files of a folder's subfolders too (depth first, each "
                      "folder sorted by name)");
    command->add_flag("-0,--null", options.nulSeparated,
                      "The names read from standard input end with a NUL byte (find -print0), "
                      "not a line break");
    command->add_flag("--json", options.json,
                      "One JSON object per event (docs/velmora-cli-events.md)");
    command->add_option("--plan", options.planFile,
                        "Write the jobs, their output names fixed, to this job list instead of "
                        "converting; `velmora-cli run-jobs` runs it");
    command
        ->add_option("FILE", options.files,
                     "Source files; a folder gives its media files (by the open dialog's "
                     "patterns, ignoring letter case, sorted by name); - reads names from "
                     "standard input, one per line")
        ->required();
    command->footer(exitCodes({{0, "every job done"}, kBatchFailed, kUsage, kInterrupted}));
    return command;
}

CLI::App* addRunJobsCommand(CLI::App& app, velmora::cli::RunJobsOptions& options) {
    CLI::App* command = app.add_subcommand(
        "run-jobs", "Run the jobs of a job list (convert --plan), or of one shard of it");
    command->add_option("LIST", options.listFile, "The job list file")->required();
    command
        ->add_option("--shard", options.shard,
                     "I/N: run only the jobs k (from 0) with k mod N = I; /N takes I from "
                     "JOB_COMPLETION_INDEX or SLURM_ARRAY_TASK_ID; without a value both come from "
                     "SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT")
        ->expected(0, 1);
    command->add_option("-j,--jobs", options.parallel, "Files converted at once (default 1)");
    command->add_option("--priority", options.priority,
                        "Worker priority: idle, lowest, lower or normal (default normal)");
    command->add_flag("--json", options.json,
                      "One JSON object per event (docs/velmora-cli-events.md)");
    command->footer(exitCodes(
        {{0, "every job of the shard done (converted now, or its output already complete)"},
         {1,
          "a job was not added, failed or is incomplete; or the list, the media libraries or an "
          "output folder cannot be used"},
         kUsage,
         kInterrupted}));
    return command;
}

CLI::App* addTaskCommand(CLI::App& app, velmora::cli::TaskOptions& options) {
    CLI::App* command =
        app.add_subcommand("task", "Run one raw engine task (engine option syntax name=value)");
    command->add_option("-i,--input", options.inputs, "Input file (repeat for several)")
        ->required();
    command->add_option("--input-options", options.inputOptions,
                        "Option text applied before each input is opened");
    command->add_option("-o,--output", options.output, "Output file")->required();
    command->add_option("--output-options", options.outputOptions,
                        "Option text for the output (\"newaudio\" and the like add streams)");
    command->add_flag("--join", options.join, "Join all inputs one after another into the output");
    command->add_flag("--json", options.json,
                      "One JSON object per event (docs/velmora-cli-events.md)");
    command->footer(exitCodes({{0, "the task is done"},
                               {1,
                                "the task could not be set up, failed or is incomplete; or the "
                                "media libraries cannot be loaded"},
                               kUsage,
                               kInterrupted}));
    return command;
}

// lock set / lock clear; each subcommand fills its own options.
CLI::App* addLockCommand(CLI::App& app, velmora::cli::LockOptions& setOptions,
                         velmora::cli::LockOptions& clearOptions) {
    CLI::App* command = app.add_subcommand(
        "lock", "Switch the window's start-up password lock on or off (root only)");
    command->require_subcommand(1);
    setOptions.action = velmora::cli::LockAction::Set;
    clearOptions.action = velmora::cli::LockAction::Clear;
    CLI::App* set = command->add_subcommand(
        "set", "Set the password (asked twice, not shown) and switch the lock on");
    set->add_flag("--master", setOptions.master,
                  "Set the master password of an existing lock instead: a second password, "
                  "kept by the administrator, that also opens it");
    CLI::App* clear = command->add_subcommand("clear", "Remove the lock file: the lock is off");
    clear->add_flag("--master", clearOptions.master, "Remove only the master password");
    const std::string codes = exitCodes(
        {{0, "done"},
         {1,
          "refused or failed: not root, the two entries differ, no lock to change, or the "
          "lock file cannot be written"},
         kUsage});
    for (CLI::App* each : {command, set, clear}) {
        each->footer(codes);
    }
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Velmora: batch conversion of video and audio files", "velmora-cli"};
    app.set_version_flag("--version", "velmora-cli 0.1.0");
    app.require_subcommand(1);
    app.footer(exitCodes({{0, "success"},
                          {1, "a job or the command failed (each command's --help says how)"},
                          kUsage,
                          kInterrupted}));
    std::string logLevel;
    app.add_option("--log-level", logLevel,
                   "Print the engine's and the libraries' log lines at this level and above to "
                   "standard error: quiet, panic, fatal, error, warning, info, verbose, debug "
                   "(default: the warnings of convert, task and demo; none with --json)")
        ->check(CLI::IsMember(
            {"quiet", "panic", "fatal", "error", "warning", "info", "verbose", "debug"}));

    CLI::App* libs = app.add_subcommand("libs", "Load the media libraries and show their versions");
    libs->footer(exitCodes({{0, "both library sets loaded"},
                            {1, "a library of the converter or the player set is missing"},
                            kUsage}));
    velmora::cli::PlayOptions playOptions;
    CLI::App* play = nullptr;
    addPlayCommand(app, playOptions, play);

    bool profilesJson = false;
    CLI::App* profiles = app.add_subcommand(
        "profiles",
        "List the 75 output profiles and what each produces at its preselected choices");
    profiles->add_flag("--json", profilesJson, "JSON output");
    profiles->footer(exitCodes({{0, "listed"}, kUsage}));

    int optionsProfile = 0;
    bool optionsJson = false;
    CLI::App* options =
        app.add_subcommand("options", "Show the ten option lists of a profile (* = preselected)");
    options->add_option("-p,--profile", optionsProfile, "Profile code")->required();
    options->add_flag("--json", optionsJson, "JSON output");
    options->footer(exitCodes({{0, "shown"}, {2, "an unknown profile code, or a usage error"}}));

    velmora::cli::ConvertOptions convertOptions;
    CLI::App* convert = addConvertCommand(app, convertOptions);

    velmora::cli::RunJobsOptions runJobsOptions;
    CLI::App* runJobs = addRunJobsCommand(app, runJobsOptions);

    std::string probeFile;
    bool probeJson = false;
    CLI::App* probe = app.add_subcommand("probe", "Describe a media file");
    probe->add_option("FILE", probeFile, "The file to describe")->required();
    probe->add_flag("--json", probeJson, "The file, first audio and first video records as JSON");
    probe->footer(exitCodes({{0, "described"},
                             {1, "the media libraries cannot be loaded or the file not opened"},
                             kUsage}));

    velmora::cli::TaskOptions taskOptions;
    CLI::App* task = addTaskCommand(app, taskOptions);

    velmora::cli::DemoOptions demoOptions;
    CLI::App* demo = app.add_subcommand(
        "demo", "Make the built-in sample clip and convert it to profiles 400, 1 and 200");
    demo->add_option("-o,--output", demoOptions.outputFolder,
                     "Output folder (default as for convert); the clip goes to its sample/");
    demo->add_flag("--json", demoOptions.json,
                   "One JSON object per event (docs/velmora-cli-events.md)");
    demo->footer(exitCodes({{0, "the clip was made and all three conversions are done"},
                            kBatchFailed,
                            kUsage,
                            kInterrupted}));

    velmora::cli::LockOptions lockSetOptions;
    velmora::cli::LockOptions lockClearOptions;
    CLI::App* lock = addLockCommand(app, lockSetOptions, lockClearOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // A command that needs a subcommand (velmora-cli itself, lock) and got none it knows.
        const CLI::App& innermost = innermostCommand(app);
        if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr &&
            !innermost.get_subcommands({}).empty() && innermost.get_subcommands().empty()) {
            return unknownCommand(innermost, std::cerr);
        }
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageExitCode;
    }

    // JSON output stays nothing but JSON unless a level is asked for: callers often read both
    // streams as one.
    const bool json = convertOptions.json || taskOptions.json || demoOptions.json || probeJson ||
                      profilesJson || optionsJson;
    // Without a level, the jobs' warnings: what a run chose in the user's place. The listings
    // resolve every profile's codecs and would repeat the same substitution for each.
    const bool runsJobs = convert->parsed() || task->parsed() || demo->parsed();
    if (!logLevel.empty()) {
        velmora::cli::printLogLines(logLevel, std::cerr);
    } else if (!json && runsJobs) {
        velmora::cli::printWarnings(std::cerr);
    }
    if (libs->parsed()) {
        return velmora::cli::runLibsCommand(std::cout, std::cerr);
    }
    if (play->parsed()) {
        return velmora::cli::runPlayCommand(playOptions, std::cout, std::cerr);
    }
    if (profiles->parsed()) {
        return velmora::cli::runProfilesCommand(profilesJson, std::cout, std::cerr);
    }
    if (options->parsed()) {
        return velmora::cli::runOptionsCommand(optionsProfile, optionsJson, std::cout, std::cerr);
    }
    if (convert->parsed()) {
        return velmora::cli::runConvertCommand(convertOptions, std::cin, std::cout, std::cerr);
    }
    if (runJobs->parsed()) {
        return velmora::cli::runRunJobsCommand(runJobsOptions, velmora::cli::processEnvironment,
                                               std::cout, std::cerr);
    }
    if (probe->parsed()) {
        return velmora::cli::runProbeCommand(probeFile, probeJson, std::cout, std::cerr);
    }
    if (task->parsed()) {
        return velmora::cli::runTaskCommand(taskOptions, std::cout, std::cerr);
    }
    if (demo->parsed()) {
        return velmora::cli::runDemoCommand(demoOptions, std::cout, std::cerr);
    }
    if (lock->parsed()) {
        const bool set = lock->get_subcommand("set")->parsed();
        return velmora::cli::runLockCommand(set ? lockSetOptions : lockClearOptions,
                                            velmora::lockFilePath(), ::geteuid(),
                                            velmora::cli::readPassword, std::cout, std::cerr);
    }
    return kUsageExitCode;
}
