// Subtitles through the engine: a text subtitle stream decoded and encoded again, copied, and
// refused by an encoder that only takes pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ConvertRunFixture.h"
#include "engine/MediaFacts.h"
#include "medialib/LibraryBindings.h"
#include "medialib/LibraryHandles.h"

namespace velmora {
namespace {

using test::ReadMediaFacts;

struct Cue {
    int64_t startMs;
    int64_t durationMs;
    std::string text;
};

// Writes a Matroska file holding one SubRip stream with the cues (the sample generator makes
// no subtitles). Returns an empty text on success.
std::string writeSubRipMatroska(const std::string& path, const std::vector<Cue>& cues) {
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_alloc_output_context2(&raw, nullptr, "matroska", path.c_str()) < 0) {
        return "no matroska muxer";
    }
    OutputFormatPtr context(raw);
    AVStream* stream = lib::avformat.avformat_new_stream(raw, nullptr);
    if (stream == nullptr) {
        return "no stream";
    }
    stream->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    stream->codecpar->codec_id = AV_CODEC_ID_SUBRIP;
    stream->time_base = AVRational{1, 1000};
    if (lib::avformat.avio_open2(&raw->pb, path.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr) < 0) {
        return "cannot create " + path;
    }
    if (lib::avformat.avformat_write_header(raw, nullptr) < 0) {
        return "header refused";
    }
    PacketPtr packet = makePacket();
    for (const Cue& cue : cues) {
        if (lib::avcodec.av_new_packet(packet.get(), static_cast<int>(cue.text.size())) < 0) {
            return "no memory";
        }
        std::memcpy(packet->data, cue.text.data(), cue.text.size());
        packet->stream_index = stream->index;
        packet->pts = packet->dts =
            lib::avutil.av_rescale_q(cue.startMs, AVRational{1, 1000}, stream->time_base);
        packet->duration =
            lib::avutil.av_rescale_q(cue.durationMs, AVRational{1, 1000}, stream->time_base);
        packet->flags |= AV_PKT_FLAG_KEY;
        if (lib::avformat.av_interleaved_write_frame(raw, packet.get()) < 0) {
            return "packet refused";
        }
    }
    if (lib::avformat.av_write_trailer(raw) < 0) {
        return "trailer refused";
    }
    return {};
}

struct SubtitlePacket {
    double startSeconds;
    double durationSeconds;
    std::string payload;
};

// The subtitle packets of the first subtitle stream of a file.
std::vector<SubtitlePacket> readSubtitlePackets(const std::string& path) {
    std::vector<SubtitlePacket> packets;
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return packets;
    }
    InputFormatPtr context(raw);
    int index = -1;
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        if (raw->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE) {
            index = static_cast<int>(i);
            break;
        }
    }
    PacketPtr packet = makePacket();
    while (index >= 0 && lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            const double base = av_q2d(raw->streams[index]->time_base);
            packets.push_back({packet->pts * base, packet->duration * base,
                               std::string(reinterpret_cast<const char*>(packet->data),
                                           static_cast<size_t>(packet->size))});
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    return packets;
}

class SubtitleRunTest : public test::ConvertRunFixture {
protected:
    void SetUp() override {
        ConvertRunFixture::SetUp();
        m_subtitles = m_dir.file("cues.mkv");
        ASSERT_EQ(writeSubRipMatroska(m_subtitles, m_cues), "");
        m_audio = wavClip("tone.wav", 2.0);
    }

    const std::vector<Cue> m_cues = {
        {200, 500, "First line"},
        {900, 400, "Second <i>line</i>"},
        {1500, 300, "Third"},
    };
    std::string m_subtitles;
    std::string m_audio;
};

TEST_F(SubtitleRunTest, TextSubtitlesReencodedOrCopied) {
    const struct {
        const char* name;
        test::OptionList options;
        const char* codec;
    } rows[] = {
        {"ass.mkv", {{"scodec", "ass"}}, "ass"},
        {"default.mkv", {}, "ass"},  // the container's own subtitle codec
        {"srt.mkv", {{"scodec", "subrip"}}, "subrip"},
        {"copy.mkv", {{"scodec", "copy"}}, "subrip"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::OptionList options = row.options;
        options.emplace_back("acodec", "flac");
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{m_audio, {}}, {m_subtitles, {}}}, target, options), "");
        const test::MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const test::StreamFacts* subtitle = facts.find(AVMEDIA_TYPE_SUBTITLE);
        ASSERT_NE(subtitle, nullptr);
        EXPECT_EQ(subtitle->codec, row.codec);
        EXPECT_NE(facts.find(AVMEDIA_TYPE_AUDIO), nullptr);
        const std::vector<SubtitlePacket> packets = readSubtitlePackets(target);
        ASSERT_EQ(packets.size(), m_cues.size());
        for (size_t i = 0; i < packets.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(packets[i].startSeconds, m_cues[i].startMs / 1000.0, 0.002);
            EXPECT_NEAR(packets[i].durationSeconds, m_cues[i].durationMs / 1000.0, 0.002);
        }
        EXPECT_NE(packets[0].payload.find("First line"), std::string::npos) << packets[0].payload;
        EXPECT_NE(packets[2].payload.find("Third"), std::string::npos) << packets[2].payload;
    }
}

TEST_F(SubtitleRunTest, OneInputFeedsTwoOutputs) {
    TCustomTranscoder engine;
    ASSERT_TRUE(engine.OpenInput(m_subtitles)) << engine.LastError();
    const std::string first = m_dir.file("first.mkv");
    const std::string second = m_dir.file("second.mkv");
    engine.SetOption("scodec", "ass");
    ASSERT_GT(engine.OpenOutput(first, false), 0) << engine.LastError();
    engine.SetOption("scodec", "subrip");
    ASSERT_GT(engine.OpenOutput(second, false), 0) << engine.LastError();
    engine.Start(false);
    ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();
    for (const std::string& target : {first, second}) {
        SCOPED_TRACE(target);
        const std::vector<SubtitlePacket> packets = readSubtitlePackets(target);
        ASSERT_EQ(packets.size(), m_cues.size());
        for (size_t i = 0; i < packets.size(); ++i) {
            EXPECT_NEAR(packets[i].startSeconds, m_cues[i].startMs / 1000.0, 0.002);
            EXPECT_NEAR(packets[i].durationSeconds, m_cues[i].durationMs / 1000.0, 0.002);
        }
        EXPECT_NE(packets[1].payload.find("Second"), std::string::npos) << packets[1].payload;
    }
}

TEST_F(SubtitleRunTest, SubtitlesFollowTheStartTime) {
    const std::string target = m_dir.file("late.mkv");
    ASSERT_EQ(run({{m_audio, {}}, {m_subtitles, {}}}, target,
                  {{"acodec", "flac"}, {"scodec", "ass"}, {"ss", "0.5"}}),
              "");
    const std::vector<SubtitlePacket> packets = readSubtitlePackets(target);
    ASSERT_FALSE(packets.empty());
    EXPECT_NEAR(packets.back().startSeconds, 1.0, 0.002);
}

TEST_F(SubtitleRunTest, DvbSubtitlesAreWrittenTwice) {
    // Each subtitle gives a showing packet at its start and a clearing one at its end.
    const std::string target = m_dir.file("dvb.mkv");
    ASSERT_EQ(
        run({{m_audio, {}}, {m_subtitles, {}}}, target, {{"scodec", "dvbsub"}, {"acodec", "flac"}}),
        "");
    const test::MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.find(AVMEDIA_TYPE_SUBTITLE)->codec, "dvb_subtitle");
    const std::vector<SubtitlePacket> packets = readSubtitlePackets(target);
    ASSERT_EQ(packets.size(), 2 * m_cues.size());
    for (size_t i = 0; i < m_cues.size(); ++i) {
        SCOPED_TRACE(i);
        const double start = m_cues[i].startMs / 1000.0;
        const double end = start + m_cues[i].durationMs / 1000.0;
        EXPECT_NEAR(packets[2 * i].startSeconds, start, 0.002);
        EXPECT_NEAR(packets[2 * i + 1].startSeconds, end, 0.002);
    }
}

}  // namespace
}  // namespace velmora
