#include "cli/LogPrinter.h"

#include <mutex>
#include <ostream>

#include "medialib/MediaLogger.h"

namespace velmora::cli {

namespace {

// Prints the delivered lines the filter takes; lines are printed where they are logged, since
// the command loops do not all pump the main thread.
template <typename Filter>
void printLines(Filter takes, std::ostream& out) {
    TMediaLogger& logger = Logger();
    logger.SetTriggerEventInMainThread(false);
    logger.SetOnLog([&out, takes, &logger](const void* sender, std::uint32_t threadId,
                                           TLogLevel level, const std::string& message) {
        // The logger is the sender of what the libraries log.
        if (!takes(sender == &logger, level)) {
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
    printLines([](bool, TLogLevel) { return true; }, out);
}

void printWarnings(std::ostream& out) {
    // Errors are left to each command, which reports its own failure once with the file's name;
    // the libraries' warnings are about their own guesses (a duration estimated from the bit
    // rate when a written file is read back).
    Logger().SetLogLevel(TLogLevel::llWarning);
    printLines([](bool fromLibrary,
                  TLogLevel level) { return !fromLibrary && level == TLogLevel::llWarning; },
               out);
}

}  // namespace velmora::cli
