// A reporter for tests: keeps the notices, prints nothing.
#pragma once

#include <string>
#include <vector>

#include "cli/ConversionReporter.h"

namespace velmora::cli::test {

class SilentReporter : public ConversionReporter {
public:
    void added(int, const std::string&, const std::string&) override {}
    void progress(const JobProgress&) override { ++progressCount; }
    void finished(const JobOutcome&) override {}
    void allDone(const std::vector<JobOutcome>&, const RunTotals&) override { ++allDoneCount; }
    void notice(NoticeLevel, const std::string& text) override { notices.push_back(text); }

    int progressCount = 0;
    int allDoneCount = 0;
    std::vector<std::string> notices;
};

}  // namespace velmora::cli::test
