#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/LibsCommand.h"

int main(int argc, char** argv) {
    CLI::App app{"Velmora: batch conversion of video and audio files", "velmora-cli"};
    app.set_version_flag("--version", "velmora-cli 0.1.0");
    app.require_subcommand(1);

    CLI::App* libs = app.add_subcommand("libs", "Load the media libraries and show their versions");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }

    if (libs->parsed()) {
        return velmora::cli::runLibsCommand(std::cout, std::cerr);
    }
    return 2;
}
