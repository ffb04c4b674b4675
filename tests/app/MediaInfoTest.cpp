// The media information: the pieces cut out of the probe's description (by hand-made layouts
// and on the descriptions of generated files), the texts gathered from the probe's records, and
// the dialog opened by "信息" and by a double click on a row.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "WindowFixture.h"
#include "app/JobListView.h"
#include "app/MediaInfo.h"
#include "app/MediaInfoDialog.h"
#include "medialib/MediaLibLoader.h"
#include "probe/MediaProbe.h"
#include "samples/SampleMedia.h"

using velmora::app::cutDescription;
using velmora::app::DescriptionPieces;
using velmora::app::ListButton;
using velmora::app::MediaInfoField;
using velmora::app::MediaInfoTexts;

namespace velmora::test {

namespace {

// A description in the probe's layout; lines end with CR LF.
QString described(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

const QStringList kHead = {
    "File Name: /clips/a.mkv", "Format Name: matroska,webm", "Format Long Name: Matroska / WebM",
    "File Size: 1.21 MB",      "Duration: 00:01:02.345",     "StartTime: 0.000000",
};

const QString kVideoLine = QStringLiteral(
    "Stream #0, 1/1000: Video: h264 (High), yuv420p, 640x360, 25 fps, 25 tbr, 1k tbn, "
    "StartTime: 0.000000, Duration: N/A");
const QString kAudioLine = QStringLiteral(
    "Stream #1, 1/1000: Audio: aac (LC), 44100 Hz, stereo, fltp, StartTime: 0.000000, "
    "Duration: N/A");
const QString kVideoText =
    QStringLiteral("Video: h264 (High), yuv420p, 640x360, 25 fps, 25 tbr, 1k tbn");
const QString kAudioText = QStringLiteral("Audio: aac (LC), 44100 Hz, stereo, fltp");

}  // namespace

class MediaInfoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void piecesOfDescriptions_data();
    void piecesOfDescriptions();
    void wordsOfTheLabels();
    void textsOfGeneratedFiles_data();
    void textsOfGeneratedFiles();
    void audioLineBeforeTheVideoLineInARealDescription();
    void dialogShowsTheSelectedFile();

private:
    QString makeClip(const QString& name, const SampleSpec& spec);
    QTemporaryDir m_dir;
};

void MediaInfoTest::initTestCase() {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath("");
    QVERIFY2(loader.LoadLibraries(kConverterSet), loader.LastError().c_str());
}

QString MediaInfoTest::makeClip(const QString& name, const SampleSpec& spec) {
    const QString path = QDir(m_dir.path()).filePath(name);
    if (!QFileInfo::exists(path)) {
        std::string error;
        if (!makeSampleMedia(spec, path.toStdString(), &error)) {
            qWarning("%s", error.c_str());
        }
    }
    return path;
}

void MediaInfoTest::piecesOfDescriptions_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QString>("bitRate");

    QTest::newRow("video then audio")
        << described(kHead + QStringList{"Bit Rate: 4321 kb/s", kVideoLine, kAudioLine})
        << kVideoText << kAudioText << " 1.21 MB\r\n"
        << " 00:01:02"
        << " 4321 kb/s";
    // The audio line's ", StartTime:" comes first: the video text still ends at its own.
    QTest::newRow("audio before video")
        << described(kHead + QStringList{"Bit Rate: 4321 kb/s",
                                         QString(kAudioLine).replace("#1", "#0"),
                                         QString(kVideoLine).replace("#0", "#1")})
        << kVideoText << kAudioText << " 1.21 MB\r\n"
        << " 00:01:02"
        << " 4321 kb/s";
    QTest::newRow("bit rate followed by metadata")
        << described(kHead + QStringList{"Bit Rate: 4321 kb/s",
                                         "Metadata:", "  encoder         : Lavf", kVideoLine})
        << kVideoText << "File Name: /clips/a.mkv\r\n"
        << " 1.21 MB\r\n"
        << " 00:01:02"
        << " 4321 kb/s";
    QTest::newRow("a short bit rate keeps its carriage return, as ten characters do")
        << described(kHead +
                     QStringList{"Bit Rate: 128 kb/s", QString(kAudioLine).replace("#1", "#0")})
        << "File Name: /clips/a.mkv\r\n"
        << kAudioText << " 1.21 MB\r\n"
        << " 00:01:02"
        << " 128 kb/s\r";
    // Beyond the fixed rules: pieces stay within their own line.
    QTest::newRow("a bit rate of five digits is not cut short")
        << described(kHead + QStringList{"Bit Rate: 12345 kb/s", kVideoLine}) << kVideoText
        << "File Name: /clips/a.mkv\r\n"
        << " 1.21 MB\r\n"
        << " 00:01:02"
        << " 12345 kb/s";
    QTest::newRow("unknown bit rate") << described(kHead + QStringList{"Bit Rate: N/A", kVideoLine})
                                      << kVideoText << "File Name: /clips/a.mkv\r\n"
                                      << " 1.21 MB\r\n"
                                      << " 00:01:02"
                                      << " N/A\r\n";
    QTest::newRow("no start time of the file")
        << described(kHead.mid(0, 5) + QStringList{"Bit Rate: 540 kb/s", kVideoLine}) << kVideoText
        << "File Name: /clips/a.mkv\r\n"
        << " 1.21 MB\r\n"
        << " 00:01:02.345\r\n"
        << " 540 kb/s\r";
    QTest::newRow("no file open") << ""
                                  << ""
                                  << ""
                                  << ""
                                  << ""
                                  << "";
}

void MediaInfoTest::piecesOfDescriptions() {
    QFETCH(QString, description);
    const DescriptionPieces pieces = cutDescription(description);
    QTEST(pieces.videoStream, "video");
    QTEST(pieces.audioStream, "audio");
    QTEST(pieces.fileSize, "size");
    QTEST(pieces.duration, "duration");
    QTEST(pieces.totalBitRate, "bitRate");
}

void MediaInfoTest::wordsOfTheLabels() {
    QCOMPARE(app::channelWords("1"), QStringLiteral("单声道"));
    QCOMPARE(app::channelWords("2"), QStringLiteral("立体声"));
    QVERIFY(app::channelWords("6").isEmpty());
    QVERIFY(app::channelWords("-1").isEmpty());
    QCOMPARE(app::streamText("File Name: x.mp3\r\n"), QStringLiteral("无"));
    QCOMPARE(app::streamText(kVideoText), kVideoText);
    QCOMPARE(app::extensionWithDot("/a.b/clip.final.MKV"), QStringLiteral(".MKV"));
    QVERIFY(app::extensionWithDot("/a.b/README").isEmpty());
}

void MediaInfoTest::textsOfGeneratedFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("channels");
    QTest::addColumn<bool>("hasVideo");

    SampleSpec movie;
    movie.container = "matroska";
    QTest::newRow("mkv with video and audio") << makeClip("movie.mkv", movie) << "2" << true;
    SampleSpec song;
    song.container = "mp3";
    song.video = false;
    song.audioCodec = "libmp3lame";
    song.channels = 1;
    QTest::newRow("audio-only mp3") << makeClip("song.mp3", song) << "1" << false;
    SampleSpec surround;
    surround.container = "matroska";
    surround.video = false;
    surround.audioCodec = "flac";
    surround.channels = 6;
    QTest::newRow("six channels") << makeClip("surround.mka", surround) << "6" << false;
}

void MediaInfoTest::textsOfGeneratedFiles() {
    QFETCH(QString, file);
    QFETCH(QString, channels);
    QFETCH(bool, hasVideo);
    TMediaProbe probe;
    MediaInfoTexts texts;
    std::string error;
    QVERIFY2(app::gatherMediaInfo(probe, file.toStdString(), texts, &error), error.c_str());
    QVERIFY(!probe.FormatContext());  // closed again
    QCOMPARE(texts.fileName, file);
    QVERIFY(texts.description.startsWith("File Name: " + file));
    QVERIFY(texts.pieces.fileSize.startsWith(' ') && texts.pieces.fileSize.endsWith("\r\n"));
    QCOMPARE(texts.pieces.duration, QStringLiteral(" 00:00:02"));
    QVERIFY(texts.pieces.totalBitRate.contains(" kb/s"));
    QCOMPARE(texts.audioSampleRate, QStringLiteral("44100"));
    QCOMPARE(texts.audioChannels, channels);
    QVERIFY(texts.pieces.audioStream.startsWith("Audio: "));
    QVERIFY(!texts.pieces.audioStream.contains("StartTime"));
    if (hasVideo) {
        QVERIFY(texts.pieces.videoStream.startsWith("Video: mpeg4"));
        QVERIFY(!texts.pieces.videoStream.contains('\n'));
        QCOMPARE(texts.videoWidth + '*' + texts.videoHeight, QStringLiteral("320*240"));
        QCOMPARE(texts.videoFrameRate, QStringLiteral("25.00"));
    } else {
        QCOMPARE(app::streamText(texts.pieces.videoStream), QStringLiteral("无"));
        // The record's initial values.
        QCOMPARE(texts.videoWidth + '*' + texts.videoHeight, QStringLiteral("-1*-1"));
        QCOMPARE(texts.videoBitRate, QStringLiteral("0"));
    }
}

void MediaInfoTest::audioLineBeforeTheVideoLineInARealDescription() {
    SampleSpec movie;
    movie.container = "matroska";
    TMediaProbe probe;
    QVERIFY(probe.Open(makeClip("movie.mkv", movie).toStdString()));
    const QString description = QString::fromStdString(probe.DumpText());
    // The real stream lines, audio first.
    QStringList lines = description.split(QStringLiteral("\r\n"));
    const qsizetype video = lines.indexOf(QRegularExpression("^Stream #0.*Video:.*"));
    const qsizetype audio = lines.indexOf(QRegularExpression("^Stream #1.*Audio:.*"));
    QVERIFY(video > 0 && audio > video);
    const QString videoLine = lines[video];
    lines.move(audio, video);
    const DescriptionPieces pieces = cutDescription(lines.join(QStringLiteral("\r\n")));
    QVERIFY(pieces.videoStream.startsWith("Video: mpeg4"));
    QCOMPARE(pieces.videoStream,
             videoLine.mid(videoLine.indexOf("Video:"),
                           videoLine.indexOf(", StartTime:") - videoLine.indexOf("Video:")));
    QVERIFY(pieces.audioStream.startsWith("Audio: aac"));
}

void MediaInfoTest::dialogShowsTheSelectedFile() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    SampleSpec movie;
    movie.container = "matroska";
    SampleSpec surround;
    surround.container = "matroska";
    surround.video = false;
    surround.audioCodec = "flac";
    surround.channels = 6;
    QVERIFY(fixture.addJob(*window, makeClip("movie.mkv", movie)));
    QVERIFY(fixture.addJob(*window, makeClip("surround.mka", surround)));
    app::MediaInfoDialog& dialog = window->mediaInfoDialog();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("视频信息提示"));
    auto text = [&](MediaInfoField field) { return dialog.value(field)->text(); };

    window->jobListView().selectRow(0);
    window->listButton(ListButton::Information)->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(text(MediaInfoField::FileName), QStringLiteral("movie.mkv"));
    QCOMPARE(text(MediaInfoField::Extension), QStringLiteral(".mkv"));
    QCOMPARE(text(MediaInfoField::FormatName), QStringLiteral("matroska,webm"));
    QCOMPARE(text(MediaInfoField::Duration), QStringLiteral(" 00:00:02"));
    QCOMPARE(text(MediaInfoField::Resolution), QStringLiteral("320*240"));
    QCOMPARE(text(MediaInfoField::FrameRate), QStringLiteral("25.00"));
    QVERIFY(text(MediaInfoField::VideoBitRate).endsWith(QStringLiteral("  kbps")));
    QCOMPARE(text(MediaInfoField::Channels), QStringLiteral("立体声"));
    QVERIFY(text(MediaInfoField::VideoStream).startsWith("Video: "));
    QVERIFY(!text(MediaInfoField::FileSize).endsWith('\n'));
    dialog.accept();

    // A double click on the other row; six channels leave the channel label as a fresh dialog
    // has it, not with the last file's words.
    window->jobListView().selectRow(1);
    emit window->jobListView().rowActivated(1);
    QVERIFY(dialog.isVisible());
    QCOMPARE(text(MediaInfoField::FileName), QStringLiteral("surround.mka"));
    QVERIFY(text(MediaInfoField::Channels).isEmpty());
    QCOMPARE(text(MediaInfoField::VideoStream), QStringLiteral("无"));
    dialog.accept();

    // A file the probe cannot read: a message instead of the dialog.
    const QString junk = fixture.path(QStringLiteral("junk.mkv"));
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("junk");
    file.close();
    QVERIFY(fixture.addJob(*window, junk));
    window->listButton(ListButton::Information)->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(fixture.desktop.messages.back().text,
             QStringLiteral("无法识别的音频或视频文件！") + junk);
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::MediaInfoTest)
#include "MediaInfoTest.moc"
