// The files a run writes: each output is created only when its run starts, in a locked part file
// beside its final name, and after the run waits for its verdict (kept under the final name, or
// removed).
#include <cmath>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"

namespace velmora {

void TranscodeSession::openOutputFiles() {
    m_partFiles.clear();
    m_partFiles.resize(m_outputOwners.size());
    for (size_t o = 0; o < m_outputOwners.size(); ++o) {
        AVFormatContext* context = m_outputOwners[o].get();
        if (context->oformat->flags & AVFMT_NOFILE) {
            continue;  // the muxer writes its own files, or none
        }
        const std::string& finalName = m_outputs[o].fileName;
        std::string target = finalName;
        if (writesThroughPartFile(finalName)) {
            std::string error;
            m_partFiles[o] = OutputPartFile::create(finalName, &error);
            if (!m_partFiles[o]) {
                fail(error);
            }
            target = m_partFiles[o]->path();
            // The muxer was chosen from the final name; a muxer that reads its file back (a
            // moved index) must find the part file under its own name.
            char* url = lib::avutil.av_strdup(target.c_str());
            if (url == nullptr) {
                fail("av_mallocz fail");
            }
            lib::avutil.av_free(context->url);
            context->url = url;
        }
        const int result = lib::avformat.avio_open2(&context->pb, target.c_str(), AVIO_FLAG_WRITE,
                                                    nullptr, nullptr);
        if (result < 0) {
            fail(FormatText("Cannot open output file '%s': %s", finalName.c_str(),
                            LibraryErrorText(result).c_str()));
        }
    }
}

void TranscodeSession::collectWrittenOutputs() {
    std::vector<WaitingOutput> waiting;
    for (size_t o = 0; o < m_partFiles.size(); ++o) {
        if (!m_partFiles[o]) {
            continue;
        }
        WaitingOutput output;
        output.record.finalName =
            m_outputs.size() > o ? m_outputs[o].fileName : m_partFiles[o]->finalName();
        output.record.partName = m_partFiles[o]->path();
        for (const OutputStream& ost : m_outputStreams) {
            if (ost.fileIndex != static_cast<int>(o)) {
                continue;
            }
            WrittenStream stream;
            stream.index = ost.index;
            stream.type = ost.type;
            stream.expectedEndUs = ost.expectedEndUs;
            stream.packetsWritten = ost.packetsWritten;
            if (ost.packetsWritten > 0) {
                stream.writtenEndUs = std::llround(ost.outputTimeSec * 1e6);
            }
            output.record.streams.push_back(stream);
        }
        output.partFile = std::move(m_partFiles[o]);
        waiting.push_back(std::move(output));
    }
    m_partFiles.clear();
    std::lock_guard lock(m_writtenMutex);
    for (WaitingOutput& output : waiting) {
        m_waitingOutputs.push_back(std::move(output));
    }
}

std::vector<WrittenOutput> TranscodeSession::writtenOutputs() const {
    std::lock_guard lock(m_writtenMutex);
    std::vector<WrittenOutput> records;
    for (const WaitingOutput& output : m_waitingOutputs) {
        records.push_back(output.record);
    }
    return records;
}

bool TranscodeSession::hasOutputsWaiting() const {
    std::lock_guard lock(m_writtenMutex);
    return !m_waitingOutputs.empty();
}

bool TranscodeSession::keepOutputs(std::string* error) {
    std::vector<WaitingOutput> waiting;
    {
        std::lock_guard lock(m_writtenMutex);
        waiting.swap(m_waitingOutputs);
    }
    for (WaitingOutput& output : waiting) {
        // An output that received no data is not kept.
        if (output.partFile->size() == 0) {
            output.partFile->discard();
            continue;
        }
        if (!output.partFile->keep(error)) {
            return false;  // the rest are removed with the list
        }
    }
    return true;
}

void TranscodeSession::discardOutputs() {
    std::vector<WaitingOutput> waiting;
    {
        std::lock_guard lock(m_writtenMutex);
        waiting.swap(m_waitingOutputs);
    }
    for (WaitingOutput& output : waiting) {
        output.partFile->discard();
    }
}

}  // namespace velmora
