#include "cli/LogPrinter.h"

#include <mutex>
#include <ostream>

#include "medialib/MediaLogger.h"

namespace velmora::cli {

namespace {

// Prints the delivered lines up to that level (the libraries' own lines up to libraryHighest);
// lines are printed where they are logged, since the command loops do not all pump the main
// thread.
void printUpTo(TLogLevel highest, TLogLevel libraryHighest, std::ostream& out) {
    TMediaLogger& logger = Logger();
    logger.SetTriggerEventInMainThread(false);
    logger.SetOnLog(
        [&out, highest, libraryHighest, &logger](const void* sender, std::uint32_t threadId,
                                                 TLogLevel level, const std::string& message) {
            // The logger is the sender of what the libraries log.
            if (level > (sender == &logger ? libraryHighest : highest)) {
                return;
            }
            static std::mutex outputLock;
            std::lock_guard lock(outputLock);
            out << '#' << threadId << '.' << static_cast<int>(level) << ": " << message << '\n';
        });
}

}  // namespace

void printLogLines(const std::string& levelName, std::ostream& out) {
    Logger().SetLogLevelByName(levelName);
    printUpTo(TLogLevel::llDebug, TLogLevel::llDebug, out);
}

void printWarningsAndErrors(std::ostream& out) {
    // The libraries' warnings are about their own guesses (a duration estimated from the bit
    // rate when a written file is read back); only their errors are shown.
    Logger().SetLogLevel(TLogLevel::llWarning);
    printUpTo(TLogLevel::llWarning, TLogLevel::llError, out);
}

}  // namespace velmora::cli
