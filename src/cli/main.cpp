#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/LibsCommand.h"
#include "cli/PlayCommand.h"

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

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Velmora: batch conversion of video and audio files", "velmora-cli"};
    app.set_version_flag("--version", "velmora-cli 0.1.0");
    app.require_subcommand(1);

    CLI::App* libs = app.add_subcommand("libs", "Load the media libraries and show their versions");
    velmora::cli::PlayOptions playOptions;
    CLI::App* play = nullptr;
    addPlayCommand(app, playOptions, play);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageExitCode;
    }

    if (libs->parsed()) {
        return velmora::cli::runLibsCommand(std::cout, std::cerr);
    }
    if (play->parsed()) {
        return velmora::cli::runPlayCommand(playOptions, std::cout, std::cerr);
    }
    return kUsageExitCode;
}
