// `velmora-cli convert` and `velmora-cli demo`: batches of one-file adds run through the
// converter component.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "profiles/ProfileCatalogue.h"

namespace velmora::cli {

struct ConvertOptions {
    int profileCode = kInitialProfileCode;
    std::string outputFolder;  // empty: the settings file's output folder
    bool overwrite = false;
    int parallel = 1;
    std::string priority = "normal";
    std::vector<std::string> settings;  // LIST=ENTRY
    bool flipHorizontal = false;
    bool flipVertical = false;
    bool negative = false;
    std::string cut;  // HH:MM:SS-HH:MM:SS, empty for the whole source
    std::string extOptions;
    bool json = false;
    std::string planFile;            // set: write the jobs to this job list instead of converting
    bool recursive = false;          // folders: their subfolders too
    bool nulSeparated = false;       // names on standard input end with NUL, not a line break
    std::vector<std::string> files;  // files, folders and kStandardInputName
};

// The source name that stands for the names read from standard input.
inline constexpr const char* kStandardInputName = "-";

// Returns the exit code: 0 every job done, 1 a job not added or not done (or the libraries or
// the output folder unusable), 2 a usage error, 130 interrupted. Names of "-" come from in.
// With a plan file the jobs are made the same way and written to it instead of run (0 every job
// planned, 1 a job not added or the list not written).
int runConvertCommand(const ConvertOptions& options, std::istream& in, std::ostream& out,
                      std::ostream& err);

struct DemoOptions {
    std::string outputFolder;  // empty: the settings file's output folder
    bool json = false;
};

// Makes the built-in sample clip in outputFolder/sample and converts it to the profiles of
// kDemoProfiles into outputFolder (overwriting the demo's earlier outputs).
int runDemoCommand(const DemoOptions& options, std::ostream& out, std::ostream& err);

inline constexpr int kDemoProfiles[] = {400, 1, 200};

}  // namespace velmora::cli
