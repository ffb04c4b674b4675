#include "component/OutputVerification.h"

#include "medialib/StreamTimes.h"
#include "probe/MediaProbe.h"
#include "probe/StreamEnds.h"

namespace velmora {

OutputCheck checkWrittenOutput(const WrittenOutput& output) {
    OutputCheck check;
    const std::string& path = output.partName.empty() ? output.finalName : output.partName;
    TMediaProbe probe;
    if (!probe.Open(path)) {
        check.problem =
            "The output file '" + output.finalName + "' cannot be read back: " + probe.LastError();
        return check;
    }
    const std::vector<std::int64_t> ends = MeasureStreamEndsUs(probe);
    const std::int64_t containerEndUs = StatedContainerEndUs(probe.FormatContext());
    for (const WrittenStream& written : output.streams) {
        StreamCoverage stream;
        stream.index = written.index;
        stream.type = written.type;
        stream.expectedEndUs = written.expectedEndUs;
        if (written.index < 0 || static_cast<std::size_t>(written.index) >= ends.size()) {
            stream.actualEndUs = 0;  // the stream is not in the file at all
        } else if (ends[static_cast<std::size_t>(written.index)] >= 0) {
            stream.actualEndUs = ends[static_cast<std::size_t>(written.index)];
        } else {
            stream.actualEndUs = containerEndUs;
            if (written.writtenEndUs >= 0 &&
                (stream.actualEndUs < 0 || written.writtenEndUs < stream.actualEndUs)) {
                stream.actualEndUs = written.writtenEndUs;
            }
        }
        check.streams.push_back(stream);
    }
    return check;
}

}  // namespace velmora
