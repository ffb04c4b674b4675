#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CatalogueCommands.h"
#include "cli/ConvertCommand.h"
#include "cli/LibsCommand.h"
#include "cli/LogPrinter.h"
#include "cli/PlayCommand.h"
#include "cli/ProbeCommand.h"
#include "cli/TaskCommand.h"

namespace {

constexpr int kUsageExitCode = 2;

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
                        "Extra engine options (name=value lines) for each output");
    command->add_flag("--json", options.json, "One JSON object per event");
    command->add_option("FILE", options.files, "Source files")->required();
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
    command->add_flag("--json", options.json, "One JSON object per event");
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Velmora: batch conversion of video and audio files", "velmora-cli"};
    app.set_version_flag("--version", "velmora-cli 0.1.0");
    app.require_subcommand(1);
    std::string logLevel;
    app.add_option("--log-level", logLevel,
                   "Print the engine's and the libraries' log lines at this level and above to "
                   "standard error: quiet, panic, fatal, error, warning, info, verbose, debug "
                   "(default: the program's warnings; none with --json)")
        ->check(CLI::IsMember(
            {"quiet", "panic", "fatal", "error", "warning", "info", "verbose", "debug"}));

    CLI::App* libs = app.add_subcommand("libs", "Load the media libraries and show their versions");
    velmora::cli::PlayOptions playOptions;
    CLI::App* play = nullptr;
    addPlayCommand(app, playOptions, play);

    bool profilesJson = false;
    CLI::App* profiles = app.add_subcommand("profiles", "List the 75 output profiles");
    profiles->add_flag("--json", profilesJson, "JSON output");

    int optionsProfile = 0;
    bool optionsJson = false;
    CLI::App* options =
        app.add_subcommand("options", "Show the ten option lists of a profile (* = preselected)");
    options->add_option("-p,--profile", optionsProfile, "Profile code")->required();
    options->add_flag("--json", optionsJson, "JSON output");

    velmora::cli::ConvertOptions convertOptions;
    CLI::App* convert = addConvertCommand(app, convertOptions);

    std::string probeFile;
    bool probeJson = false;
    CLI::App* probe = app.add_subcommand("probe", "Describe a media file");
    probe->add_option("FILE", probeFile, "The file to describe")->required();
    probe->add_flag("--json", probeJson, "The file, first audio and first video records as JSON");

    velmora::cli::TaskOptions taskOptions;
    CLI::App* task = addTaskCommand(app, taskOptions);

    velmora::cli::DemoOptions demoOptions;
    CLI::App* demo = app.add_subcommand(
        "demo", "Make the built-in sample clip and convert it to profiles 400, 1 and 200");
    demo->add_option("-o,--output", demoOptions.outputFolder,
                     "Output folder (default as for convert); the clip goes to its sample/");
    demo->add_flag("--json", demoOptions.json, "One JSON object per event");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageExitCode;
    }

    // JSON output stays nothing but JSON unless a level is asked for: callers often read both
    // streams as one.
    const bool json = convertOptions.json || taskOptions.json || demoOptions.json || probeJson ||
                      profilesJson || optionsJson;
    if (!logLevel.empty()) {
        velmora::cli::printLogLines(logLevel, std::cerr);
    } else if (!json) {
        velmora::cli::printWarnings(std::cerr);
    }
    if (libs->parsed()) {
        return velmora::cli::runLibsCommand(std::cout, std::cerr);
    }
    if (play->parsed()) {
        return velmora::cli::runPlayCommand(playOptions, std::cout, std::cerr);
    }
    if (profiles->parsed()) {
        return velmora::cli::runProfilesCommand(profilesJson, std::cout);
    }
    if (options->parsed()) {
        return velmora::cli::runOptionsCommand(optionsProfile, optionsJson, std::cout, std::cerr);
    }
    if (convert->parsed()) {
        return velmora::cli::runConvertCommand(convertOptions, std::cout, std::cerr);
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
    return kUsageExitCode;
}
