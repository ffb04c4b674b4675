#include "cli/LogPrinter.h"

#include <mutex>
#include <ostream>

#include "medialib/MediaLogger.h"

namespace velmora::cli {

void printLogLines(const std::string& levelName, std::ostream& out) {
    TMediaLogger& logger = Logger();
    logger.SetLogLevelByName(levelName);
    // Lines are printed where they are logged: the command loops do not all pump the main thread.
    logger.SetTriggerEventInMainThread(false);
    logger.SetOnLog(
        [&out](const void*, std::uint32_t threadId, TLogLevel level, const std::string& message) {
            static std::mutex outputLock;
            std::lock_guard lock(outputLock);
            out << '#' << threadId << '.' << static_cast<int>(level) << ": " << message << '\n';
        });
}

}  // namespace velmora::cli
