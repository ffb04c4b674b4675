// Adding jobs through the window's dialogs, driven through their widgets: the format chooser's
// tabs, entries, empty space, "下一步" and cancel; the option settings' lists, modes, encoder
// change, cut range and digit-only edits; the one-file, several-files and drop flows with their
// naming, order, messages and rows. The converter runs fake engines unless a test needs the real
// one to show that adding touches no file; the sources are generated clips.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "ModalScript.h"
#include "WindowFixture.h"
#include "app/AddJobFlows.h"
#include "app/FormatChooser.h"
#include "app/JobListView.h"
#include "app/LogPane.h"
#include "app/OptionSettingsDialog.h"
#include "app/ProfileIcons.h"
#include "app/SettingsGroup.h"
#include "medialib/MediaLibLoader.h"
#include "profiles/OptionLists.h"
#include "profiles/OptionSettings.h"
#include "samples/SampleMedia.h"

using velmora::app::FormatChooser;
using velmora::app::MainWindow;
using velmora::app::OptionSettingsDialog;
using velmora::app::WindowAction;

namespace velmora::test {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The chooser's part of an add: a click on the tab, one on the entry, then "下一步".
void chooseProfile(ModalScript& script, ProfileTab tab, int position) {
    script.on<FormatChooser>([tab, position](FormatChooser& chooser) {
        clickChooserTab(chooser, tab);
        clickItem(*chooser.list(tab), position);
        chooser.nextButton()->click();
    });
}

void confirmSettings(ModalScript& script,
                     std::function<void(OptionSettingsDialog&)> adjust = nullptr) {
    script.on<OptionSettingsDialog>([adjust](OptionSettingsDialog& dialog) {
        if (adjust) {
            adjust(dialog);
        }
        dialog.okButton()->click();
    });
}

void cancelChooser(ModalScript& script) {
    script.on<FormatChooser>([](FormatChooser& chooser) { chooser.cancelButton()->click(); });
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

class AddJobFlowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void chooserStartsOnTheFirstTabWithItsFirstEntry();
    void entryChosenOnEachTabGivesItsCode_data();
    void entryChosenOnEachTabGivesItsCode();
    void emptySpaceAndDoubleClick();
    void cancelInTheOptionSettingsReturnsToTheChooser();
    void audioProfilePutsTheSettingsInAudioMode();
    void encoderChangeSwapsTheLists();
    void cutOfTenSecondsFromThirty();
    void cutRangeBeyondTheSourceIsRefused();
    void timeEditsTakeDigitsOnly();
    void datSourceIsReadAsMpeg();
    void fiveFilesAreListedInReverseOrder();
    void severalFilesWalkStopsAtAFailedTask();
    void clashGetsTheNextFreeNewName();
    void overwriteRuleListsTheNameButLeavesTheFile();
    void unreadableSourceGivesTheMessageAndNoRow();
    void droppedFilesAndFoldersInTheirOrder();
    void dropReportsEveryFileNotAddedInOneMessage();
    void commandLineProfileSkipsTheDialogs();
    void profileIconsTellTheEntriesOfATabApart();

private:
    // A short generated clip copied to path.
    QString clipAt(const WindowFixture& fixture, const QString& name) const;

    QTemporaryDir m_media;
    QString m_clip;      // 1 s, picture and sound
    QString m_longClip;  // 45 s, picture only
    QString m_mpegClip;  // 2 s MPEG program stream
};

void AddJobFlowsTest::initTestCase() {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (!loader.LibrariesLoaded(kConverterSet)) {
        loader.SetLibraryPath("");
        QVERIFY2(loader.LoadLibraries(kConverterSet), loader.LastError().c_str());
    }
    SampleSpec spec;
    spec.durationSeconds = 1.0;
    spec.width = 160;
    spec.height = 120;
    m_clip = QDir(m_media.path()).filePath(QStringLiteral("clip.mkv"));
    std::string error;
    QVERIFY2(makeSampleMedia(spec, m_clip.toStdString(), &error), error.c_str());

    SampleSpec longSpec;
    longSpec.durationSeconds = 45.0;
    longSpec.width = 64;
    longSpec.height = 48;
    longSpec.frameRate = {5, 1};
    longSpec.audio = false;
    m_longClip = QDir(m_media.path()).filePath(QStringLiteral("long.mkv"));
    QVERIFY2(makeSampleMedia(longSpec, m_longClip.toStdString(), &error), error.c_str());

    SampleSpec mpegSpec;
    mpegSpec.container = "mpeg";
    mpegSpec.videoCodec = "mpeg2video";
    mpegSpec.audioCodec = "mp2";
    mpegSpec.width = 160;
    mpegSpec.height = 120;
    m_mpegClip = QDir(m_media.path()).filePath(QStringLiteral("disc.mpg"));
    QVERIFY2(makeSampleMedia(mpegSpec, m_mpegClip.toStdString(), &error), error.c_str());
}

QString AddJobFlowsTest::clipAt(const WindowFixture& fixture, const QString& name) const {
    const QString path = fixture.path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QFile::copy(m_clip, path);
    return path;
}

void AddJobFlowsTest::chooserStartsOnTheFirstTabWithItsFirstEntry() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    FormatChooser& chooser = window->addFlows().chooser();
    QCOMPARE(chooser.windowTitle(), QStringLiteral("选择转换格式"));
    QCOMPARE(window->pendingJobOptions().ProfileCode, 400);
    QCOMPARE(chooser.tabs()->count(), 4);
    const QStringList captions = {"MKV、MP4及常用格式", "智能设备常用视频格式",
                                  "更多电脑常用视频格式", "更多音频格式"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(chooser.tabs()->tabText(i), captions[i]);
    }
    QCOMPARE(chooser.tabs()->currentIndex(), 0);
    QCOMPARE(chooser.list(ProfileTab::Common)->count(), 21);
    QCOMPARE(chooser.list(ProfileTab::Computer)->count(), 24);
    QCOMPARE(chooser.list(ProfileTab::Computer)->item(4)->text(),
             QStringLiteral("Sony(索尼) PS3 MP4视频"));
    QCOMPARE(chooser.list(ProfileTab::Common)->currentRow(), 0);
    QCOMPARE(chooser.list(ProfileTab::Computer)->currentRow(), 0);
    QVERIFY(chooser.list(ProfileTab::Audio)->selectedItems().isEmpty());
    QCOMPARE(chooser.list(ProfileTab::Audio)->iconSize(), QSize(60, 60));
}

void AddJobFlowsTest::entryChosenOnEachTabGivesItsCode_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("code");
    QTest::newRow("common") << int(ProfileTab::Common) << 3 << 400 << 403;
    QTest::newRow("devices") << int(ProfileTab::Devices) << 19 << 100 << 119;
    QTest::newRow("computer, fifth entry") << int(ProfileTab::Computer) << 4 << 1 << 5;
    QTest::newRow("audio") << int(ProfileTab::Audio) << 9 << 200 << 209;
}

void AddJobFlowsTest::entryChosenOnEachTabGivesItsCode() {
    QFETCH(int, tab);
    QFETCH(int, position);
    QFETCH(int, base);
    QFETCH(int, code);
    const auto profileTab = static_cast<ProfileTab>(tab);
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("movie.mkv"));

    int codeAfterTabClick = -1;
    int codeAfterEntryClick = -1;
    QStringList encoders;
    QString sourceShown;
    bool chooserHiddenMeanwhile = false;
    int keptRow = -1;
    ModalScript script;
    script.on<FormatChooser>([&](FormatChooser& chooser) {
        clickChooserTab(chooser, profileTab);
        codeAfterTabClick = window->pendingJobOptions().ProfileCode;
        clickItem(*chooser.list(profileTab), position);
        codeAfterEntryClick = window->pendingJobOptions().ProfileCode;
        chooser.nextButton()->click();
    });
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        encoders = entriesOf(*dialog.list(OptionKind::VideoEncoder));
        sourceShown = dialog.sourceField()->text();
        chooserHiddenMeanwhile = !window->addFlows().chooser().isVisible();
        dialog.cancelButton()->click();
    });
    // Back in the chooser, the entry is still selected; cancel ends the add.
    script.on<FormatChooser>([&](FormatChooser& chooser) {
        keptRow = chooser.list(profileTab)->currentRow();
        chooser.cancelButton()->click();
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QCOMPARE(codeAfterTabClick, base);
    QCOMPARE(codeAfterEntryClick, code);
    QCOMPARE(window->pendingJobOptions().ProfileCode, code);
    QCOMPARE(sourceShown, fixture.desktop.fileToChoose);
    QVERIFY(chooserHiddenMeanwhile);
    QCOMPARE(keptRow, position);
    QStringList expected;
    for (const std::string_view entry :
         profileOptionChoices(code)->at(indexOf(OptionKind::VideoEncoder)).list->entries) {
        expected << fromView(entry);
    }
    QCOMPARE(encoders, expected);
    QCOMPARE(window->addFlows().chooser().ChooserResult(), QStringLiteral("2"));
    QCOMPARE(window->jobList().rowCount(), 0);

    // The next add opens on the same tab with the same entry, and keeps the code until the user
    // picks another; reopening sets the result back to "1".
    QString resultWhileShown;
    QString shownTab;
    int shownRow = -1;
    ModalScript again;
    again.on<FormatChooser>([&](FormatChooser& chooser) {
        resultWhileShown = chooser.ChooserResult();
        shownTab = chooser.tabs()->tabText(chooser.tabs()->currentIndex());
        shownRow = chooser.list(profileTab)->currentRow();
        chooser.cancelButton()->click();
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(again.finished(), qPrintable(again.failure()));
    QCOMPARE(resultWhileShown, QStringLiteral("1"));
    QCOMPARE(shownTab, fromView(profileTabInfo(profileTab).caption));
    QCOMPARE(shownRow, position);
    QCOMPARE(window->pendingJobOptions().ProfileCode, code);
}

void AddJobFlowsTest::emptySpaceAndDoubleClick() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("movie.mkv"));
    const QString message = QString::fromUtf8(app::kChooseTypeMessage);

    bool clickedEmpty = false;
    bool selectionCleared = false;
    int codeAfterEmptyClick = -1;
    std::size_t messagesAfterNext = 0;
    bool stillChoosing = false;
    bool optionsOpened = false;
    ModalScript script;
    script.on<FormatChooser>([&](FormatChooser& chooser) {
        clickChooserTab(chooser, ProfileTab::Audio);
        clickItem(*chooser.list(ProfileTab::Audio), 2);
        clickedEmpty = clickEmptySpace(*chooser.list(ProfileTab::Audio));
        selectionCleared = chooser.list(ProfileTab::Audio)->selectedItems().isEmpty();
        codeAfterEmptyClick = window->pendingJobOptions().ProfileCode;
        chooser.nextButton()->click();
        messagesAfterNext = fixture.desktop.messages.size();
        stillChoosing = chooser.isVisible();
        clickItem(*chooser.list(ProfileTab::Audio), 5, /*doubleClick=*/true);
    });
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        optionsOpened = true;
        dialog.cancelButton()->click();
    });
    cancelChooser(script);
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QVERIFY(clickedEmpty);
    QVERIFY(selectionCleared);
    QCOMPARE(codeAfterEmptyClick, 202);  // a list that loses its selection keeps the code
    QCOMPARE(messagesAfterNext, std::size_t{2});
    for (const RecordedMessage& shown : fixture.desktop.messages) {
        QCOMPARE(shown.title, QStringLiteral("提示"));
        QCOMPARE(shown.text, message);
        QCOMPARE(shown.icon, QMessageBox::Information);
    }
    QVERIFY(stillChoosing);
    QVERIFY(optionsOpened);
    QCOMPARE(window->pendingJobOptions().ProfileCode, 205);
}

void AddJobFlowsTest::cancelInTheOptionSettingsReturnsToTheChooser() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.filesToChoose = {clipAt(fixture, QStringLiteral("a.mkv"))};
    int optionOpenings = 0;
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        ++optionOpenings;
        dialog.reject();  // closing the window any other way than "确定"
    });
    chooseProfile(script, ProfileTab::Common, 1);
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        ++optionOpenings;
        dialog.cancelButton()->click();
    });
    cancelChooser(script);
    window->action(WindowAction::AddSeveralFiles)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(optionOpenings, 2);
    QCOMPARE(window->addFlows().chooser().ChooserResult(), QStringLiteral("2"));
    QCOMPARE(window->jobList().rowCount(), 0);
    QVERIFY(fixture.desktop.messages.empty());
}

void AddJobFlowsTest::audioProfilePutsTheSettingsInAudioMode() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("song.mkv"));
    std::string mode;
    bool videoListsOff = false;
    bool audioListsOn = false;
    QString encoderShown;
    ModalScript script;
    script.on<FormatChooser>([&](FormatChooser& chooser) {
        clickChooserTab(chooser, ProfileTab::Audio);  // selects "MP3音频格式"
        chooser.nextButton()->click();
    });
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        mode = dialog.MediaMode();
        videoListsOff = true;
        for (const OptionKind kind :
             {OptionKind::VideoEncoder, OptionKind::VideoBitRate, OptionKind::FrameSize,
              OptionKind::FrameRate, OptionKind::ScalingMode}) {
            videoListsOff = videoListsOff && !dialog.list(kind)->isEnabled();
        }
        videoListsOff = videoListsOff && !dialog.flipHorizontalBox()->isEnabled() &&
                        !dialog.negativeBox()->isEnabled();
        audioListsOn = dialog.list(OptionKind::AudioEncoder)->isEnabled() &&
                       dialog.list(OptionKind::Volume)->isEnabled();
        encoderShown = dialog.list(OptionKind::VideoEncoder)->currentText();
        dialog.previewButton()->click();
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QCOMPARE(mode, std::string(kMediaModeMusic));
    QVERIFY(videoListsOff);
    QVERIFY(audioListsOn);
    QCOMPARE(encoderShown, QStringLiteral("该格式无视频"));
    // "预览视频" hands the source to the desktop.
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t{1});
    QCOMPARE(fixture.desktop.openedUrls[0], QUrl::fromLocalFile(fixture.desktop.fileToChoose));
    QCOMPARE(window->jobList().rowCount(), 1);
    QCOMPARE(window->jobList().job(0).targetFormat, QStringLiteral("MP3"));
    const JobSlot& slot = window->queue().jobSlots().slot(0);
    QVERIFY(slot.output.DisableVideo);
    QCOMPARE(slot.output.AudioCodec, std::string("libmp3lame"));
    QVERIFY(window->logPane().text().contains(QStringLiteral("装入成功.")));
}

void AddJobFlowsTest::encoderChangeSwapsTheLists() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("movie.mkv"));
    QStringList bitRatesAfterMjpeg;
    QString bitRateAfterMjpeg;
    QString bitRateAfterDivx;
    QString frameSizeKept;
    QStringList sizesAfterDivx;
    QString sizeAfterDivx;
    QStringList sizesAfterH264;
    ModalScript script;
    // Profile 1: the bit-rate list follows the encoder; a frame size picked before stays.
    chooseProfile(script, ProfileTab::Computer, 0);
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        pickEntry(*dialog.list(OptionKind::FrameSize), QStringLiteral("640*480"));
        pickEntry(*dialog.list(OptionKind::VideoEncoder), QStringLiteral("Mjpeg 视频压缩器"));
        bitRatesAfterMjpeg = entriesOf(*dialog.list(OptionKind::VideoBitRate));
        bitRateAfterMjpeg = dialog.list(OptionKind::VideoBitRate)->currentText();
        pickEntry(*dialog.list(OptionKind::VideoEncoder), QStringLiteral("Divx 5 视频压缩器"));
        bitRateAfterDivx = dialog.list(OptionKind::VideoBitRate)->currentText();
        frameSizeKept = dialog.list(OptionKind::FrameSize)->currentText();
        dialog.cancelButton()->click();
    });
    // Profile 100: the frame-size list follows, and is not restored by a later encoder.
    script.on<FormatChooser>([&](FormatChooser& chooser) {
        clickChooserTab(chooser, ProfileTab::Devices);
        chooser.nextButton()->click();
    });
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        pickEntry(*dialog.list(OptionKind::VideoEncoder), QStringLiteral("Divx 视频压缩器"));
        sizesAfterDivx = entriesOf(*dialog.list(OptionKind::FrameSize));
        sizeAfterDivx = dialog.list(OptionKind::FrameSize)->currentText();
        pickEntry(*dialog.list(OptionKind::VideoEncoder), QStringLiteral("H264/AVC高清视频压缩器"));
        sizesAfterH264 = entriesOf(*dialog.list(OptionKind::FrameSize));
        dialog.okButton()->click();
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QCOMPARE(bitRatesAfterMjpeg.size(), 15);
    QCOMPARE(bitRateAfterMjpeg, QStringLiteral("3000 kbps(高质量)"));
    QCOMPARE(bitRateAfterDivx, QStringLiteral("528 kbps(中等质量)"));
    QCOMPARE(frameSizeKept, QStringLiteral("640*480"));
    QCOMPARE(sizesAfterDivx, QStringList({"128*96", "176*144", "352*288", "704*576"}));
    QCOMPARE(sizeAfterDivx, QStringLiteral("176*144"));
    QCOMPARE(sizesAfterH264, sizesAfterDivx);
    QCOMPARE(window->jobList().rowCount(), 1);
    const TOutputOptions& output = window->queue().jobSlots().slot(0).output;
    QCOMPARE(output.VideoCodec, std::string("libx264"));
    QCOMPARE(output.FrameSize, std::string("176*144"));
}

void AddJobFlowsTest::cutOfTenSecondsFromThirty() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = m_longClip;
    QStringList stopPreset;
    bool editsOffBeforeSwitch = false;
    ModalScript script;
    chooseProfile(script, ProfileTab::Computer, 0);
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        editsOffBeforeSwitch = !dialog.cutStartEdit(0)->isEnabled();
        for (std::size_t part = 0; part < app::kCutEditCount; ++part) {
            stopPreset << dialog.cutStopEdit(part)->text();
        }
        dialog.cutSwitch()->click();
        typeInto(dialog.cutStartEdit(2), QStringLiteral("30"));
        typeInto(dialog.cutStopEdit(2), QStringLiteral("40"));
        dialog.flipVerticalBox()->click();
        dialog.negativeBox()->click();
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QVERIFY(editsOffBeforeSwitch);
    QCOMPARE(stopPreset, QStringList({"00", "00", "45"}));
    QCOMPARE(window->jobList().rowCount(), 1);
    const JobSlot& slot = window->queue().jobSlots().slot(0);
    QCOMPARE(slot.input.StartTime, std::int64_t{30'000'000});
    QCOMPARE(slot.output.RecordingTime, std::int64_t{10'000'000});
    QCOMPARE(slot.output.StartTime, kNoTime);
    QCOMPARE(slot.output.VideoFilters, std::string("vflip,negate"));
    QVERIFY(fixture.desktop.messages.empty());
}

void AddJobFlowsTest::cutRangeBeyondTheSourceIsRefused() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = m_longClip;
    bool stayedOpenAfterLength = false;
    bool stayedOpenAfterOrder = false;
    ModalScript script;
    chooseProfile(script, ProfileTab::Computer, 0);
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        dialog.cutSwitch()->click();
        typeInto(dialog.cutStopEdit(2), QStringLiteral("46"));
        dialog.okButton()->click();
        stayedOpenAfterLength = dialog.isVisible();
        typeInto(dialog.cutStartEdit(2), QStringLiteral("20"));
        typeInto(dialog.cutStopEdit(2), QStringLiteral("20"));
        dialog.okButton()->click();
        stayedOpenAfterOrder = dialog.isVisible();
        // Emptied edits count as "00": from the start to 00:00:20.
        for (std::size_t part = 0; part < app::kCutEditCount; ++part) {
            typeInto(dialog.cutStartEdit(part), QString());
        }
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QVERIFY(stayedOpenAfterLength);
    QVERIFY(stayedOpenAfterOrder);
    QCOMPARE(fixture.desktop.messages.size(), std::size_t{2});
    QCOMPARE(fixture.desktop.messages[0].text, QString::fromUtf8(kCutStopBeyondLengthMessage));
    QCOMPARE(fixture.desktop.messages[1].text, QString::fromUtf8(kCutStartNotBeforeStopMessage));
    QCOMPARE(window->jobList().rowCount(), 1);
    const JobSlot& slot = window->queue().jobSlots().slot(0);
    QCOMPARE(slot.input.StartTime, std::int64_t{0});
    QCOMPARE(slot.output.RecordingTime, std::int64_t{20'000'000});
}

void AddJobFlowsTest::timeEditsTakeDigitsOnly() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("movie.mkv"));
    QString afterLetter;
    QString afterDigits;
    QString afterPaste;
    std::size_t messagesAfterLetter = 0;
    std::size_t messagesAfterDigits = 0;
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    script.on<OptionSettingsDialog>([&](OptionSettingsDialog& dialog) {
        dialog.cutSwitch()->click();
        QLineEdit* minutes = dialog.cutStartEdit(1);
        typeInto(minutes, QStringLiteral("1"));
        QTest::keyClicks(minutes, QStringLiteral("x"));
        afterLetter = minutes->text();
        messagesAfterLetter = fixture.desktop.messages.size();
        QTest::keyClicks(minutes, QStringLiteral("2"));
        QTest::keyClick(minutes, Qt::Key_Backspace);
        QTest::keyClicks(minutes, QStringLiteral("5"));
        afterDigits = minutes->text();
        messagesAfterDigits = fixture.desktop.messages.size();
        minutes->insert(QStringLiteral("a9"));  // as a paste would
        afterPaste = minutes->text();
        dialog.cancelButton()->click();
    });
    cancelChooser(script);
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QCOMPARE(afterLetter, QStringLiteral("1"));
    QCOMPARE(messagesAfterLetter, std::size_t{1});
    QCOMPARE(fixture.desktop.messages[0].text, QString::fromUtf8(kDigitsOnlyMessage));
    QCOMPARE(fixture.desktop.messages[0].title, QStringLiteral("提示"));
    QCOMPARE(afterDigits, QStringLiteral("15"));
    QCOMPARE(messagesAfterDigits, std::size_t{1});
    QCOMPARE(afterPaste, QStringLiteral("15"));
}

void AddJobFlowsTest::datSourceIsReadAsMpeg() {
    WindowFixture fixture;
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    const QString source = fixture.path(QStringLiteral("AVSEQ01.DAT"));
    QVERIFY(QFile::copy(m_mpegClip, source));
    fixture.desktop.fileToChoose = source;
    QString stopSeconds;
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        stopSeconds = dialog.cutStopEdit(2)->text();  // the duration probe read it as MPEG too
    });
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(stopSeconds, QStringLiteral("02"));
    QCOMPARE(window->jobList().rowCount(), 1);
    QCOMPARE(window->jobList().job(0).sourceFormat, QStringLiteral("DAT"));
    QCOMPARE(window->queue().jobSlots().slot(0).input.ForceFormat, std::string("mpeg"));
    QVERIFY(fixture.desktop.messages.empty());
}

void AddJobFlowsTest::fiveFilesAreListedInReverseOrder() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QStringList files;
    for (const char* name : {"A.mkv", "B.mkv", "C.mkv", "D.mkv", "E.mkv"}) {
        files << clipAt(fixture, QString::fromLatin1(name));
    }
    fixture.desktop.filesToChoose = files;
    bool cutOffered = true;
    ModalScript script;
    chooseProfile(script, ProfileTab::Computer, 3);  // ".psp.mp4": the files get ".mp4"
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        cutOffered = dialog.cutSwitch()->isEnabled();
    });
    window->action(WindowAction::AddSeveralFiles)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QVERIFY(!cutOffered);
    QStringList reversed(files.rbegin(), files.rend());
    QCOMPARE(sourcesOf(window->jobList()), reversed);
    QCOMPARE(window->jobListView().selectedRow(), 4);
    for (int row = 0; row < 5; ++row) {
        const auto& job = window->jobList().job(row);
        QCOMPARE(QFileInfo(job.outputFile).fileName(),
                 QFileInfo(job.sourceFile).completeBaseName() + QStringLiteral(".mp4"));
        QCOMPARE(window->queue().jobSlots().slot(row).output.RecordingTime, kNoTime);
    }
    QCOMPARE(window->logPane().lines().count(QStringLiteral("装入成功.")), 5);
    QVERIFY(window->action(WindowAction::Convert)->isEnabled());
    QVERIFY(window->action(WindowAction::Remove)->isEnabled());
}

void AddJobFlowsTest::severalFilesWalkStopsAtAFailedTask() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString first = clipAt(fixture, QStringLiteral("a.mkv"));
    const QString failing = clipAt(fixture, QStringLiteral("b.mkv"));
    const QString last = clipAt(fixture, QStringLiteral("c.mkv"));
    fixture.hub.failingInput = failing.toStdString();
    fixture.desktop.filesToChoose = {first, failing, last};
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    confirmSettings(script);
    window->action(WindowAction::AddSeveralFiles)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    // Walked from the last: c is added, b fails to open as a task, and the walk ends there.
    QCOMPARE(sourcesOf(window->jobList()), QStringList({last}));
    QVERIFY(window->logPane().text().contains(QStringLiteral("***打开文件失败: ") +
                                              FakeEngineHub::kOpenError));
}

void AddJobFlowsTest::clashGetsTheNextFreeNewName() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QDir out(window->settingsGroup().outputFolder());
    writeFile(out.filePath(QStringLiteral("movie.avi")), "old");
    writeFile(out.filePath(QStringLiteral("movie(New_1).avi")), "older");
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("src/movie.mkv"));
    ModalScript script;
    chooseProfile(script, ProfileTab::Computer, 0);
    confirmSettings(script);
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(window->jobList().rowCount(), 1);
    QCOMPARE(window->jobList().job(0).outputFile, out.filePath(QStringLiteral("movie(New_2).avi")));
    QCOMPARE(window->jobList().job(0).targetFormat, QStringLiteral("AVI"));
    QCOMPARE(window->jobList().job(0).sourceFormat, QStringLiteral("MKV"));
    QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("movie(New_2).avi"))));
}

void AddJobFlowsTest::overwriteRuleListsTheNameButLeavesTheFile() {
    WindowFixture fixture;
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    window->settingsGroup().existingFileBox()->setCurrentIndex(1);
    const QString existing =
        QDir(window->settingsGroup().outputFolder()).filePath(QStringLiteral("movie.avi"));
    writeFile(existing, "the user's own file");
    fixture.desktop.fileToChoose = clipAt(fixture, QStringLiteral("src/movie.mkv"));
    ModalScript script;
    chooseProfile(script, ProfileTab::Computer, 0);
    confirmSettings(script);
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(window->jobList().rowCount(), 1);
    QCOMPARE(window->jobList().job(0).outputFile, existing);
    QCOMPARE(readAll(existing), QByteArray("the user's own file"));
    QCOMPARE(QDir(window->settingsGroup().outputFolder()).entryList(QDir::Files),
             QStringList({"movie.avi"}));
}

void AddJobFlowsTest::unreadableSourceGivesTheMessageAndNoRow() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString broken = fixture.path(QStringLiteral("broken.avi"));
    writeFile(broken, "no media in here");
    fixture.desktop.fileToChoose = broken;
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    confirmSettings(script);
    window->action(WindowAction::AddOneFile)->trigger();
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(window->jobList().rowCount(), 0);
    QCOMPARE(fixture.desktop.messages.size(), std::size_t{1});
    QCOMPARE(fixture.desktop.messages[0].text,
             QStringLiteral("无法识别的音频或视频文件！") + broken);
    QCOMPARE(fixture.desktop.messages[0].title, QStringLiteral("提示"));
    QCOMPARE(fixture.desktop.messages[0].icon, QMessageBox::Information);
    QVERIFY(window->logPane().text().contains(QStringLiteral("***文件打开失败 ")));
    QCOMPARE(window->converter().TasksCount(), 0);
}

void AddJobFlowsTest::droppedFilesAndFoldersInTheirOrder() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString folder = fixture.path(QStringLiteral("dropped"));
    const QString single = clipAt(fixture, QStringLiteral("single.mkv"));
    for (const char* name :
         {"dropped/b.MKV", "dropped/a.avi", "dropped/Z.Mp4", "dropped/sub/deeper.mkv"}) {
        clipAt(fixture, QString::fromLatin1(name));
    }
    writeFile(fixture.path(QStringLiteral("dropped/notes.txt")), "not media");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(single), QUrl::fromLocalFile(folder)});
    bool cutOffered = true;
    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    confirmSettings(script, [&](OptionSettingsDialog& dialog) {
        cutOffered = dialog.cutSwitch()->isEnabled();
    });
    QWidget* viewport = window->jobListView().viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    QVERIFY(!cutOffered);
    const QDir dropped(folder);
    QCOMPARE(sourcesOf(window->jobList()),
             QStringList({single, dropped.filePath(QStringLiteral("a.avi")),
                          dropped.filePath(QStringLiteral("b.MKV")),
                          dropped.filePath(QStringLiteral("Z.Mp4"))}));
    QCOMPARE(window->jobList().job(1).outputFile,
             QDir(window->settingsGroup().outputFolder()).filePath(QStringLiteral("a.mkv")));
    QCOMPARE(window->jobListView().selectedRow(), 3);
    QVERIFY(fixture.desktop.messages.empty());
}

void AddJobFlowsTest::dropReportsEveryFileNotAddedInOneMessage() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString good = clipAt(fixture, QStringLiteral("good.mkv"));
    const QString failing = clipAt(fixture, QStringLiteral("failing.mkv"));
    const QString later = clipAt(fixture, QStringLiteral("later.mkv"));
    const QString broken = fixture.path(QStringLiteral("broken.mkv"));
    writeFile(broken, "no media");
    const QString missing = fixture.path(QStringLiteral("missing.mkv"));
    const QString emptyFolder = fixture.path(QStringLiteral("empty"));
    QDir().mkpath(emptyFolder);
    fixture.hub.failingInput = failing.toStdString();

    ModalScript script;
    chooseProfile(script, ProfileTab::Common, 0);
    confirmSettings(script);
    emit window->addDroppedFilesRequested({good, broken, failing, missing, emptyFolder, later});
    QVERIFY2(script.finished(), qPrintable(script.failure()));

    // The walk goes on past the failed task, in the order given.
    QCOMPARE(sourcesOf(window->jobList()), QStringList({good, later}));
    QCOMPARE(fixture.desktop.messages.size(), std::size_t{1});
    const QString text = fixture.desktop.messages[0].text;
    QVERIFY2(text.startsWith(QStringLiteral("以下文件没有添加到转换列表：")), qPrintable(text));
    for (const QString& path : {broken, failing, missing, emptyFolder}) {
        QVERIFY2(text.contains(path), qPrintable(path));
    }
    QVERIFY(text.contains(QStringLiteral("无法识别的音频或视频文件")));
    QVERIFY(text.contains(QString::fromUtf8(FakeEngineHub::kOpenError)));
    QVERIFY(text.contains(QStringLiteral("文件不存在")));
    QVERIFY(text.indexOf(broken) < text.indexOf(failing));
    QVERIFY(window->logPane().text().contains(QStringLiteral("***文件打开失败 ")));
}

void AddJobFlowsTest::commandLineProfileSkipsTheDialogs() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString folder = fixture.path(QStringLiteral("clips"));
    clipAt(fixture, QStringLiteral("clips/one.mkv"));
    clipAt(fixture, QStringLiteral("clips/two.mkv"));
    window->addPresetFiles(200, {folder});
    QCOMPARE(sourcesOf(window->jobList()),
             QStringList({QDir(folder).filePath(QStringLiteral("one.mkv")),
                          QDir(folder).filePath(QStringLiteral("two.mkv"))}));
    QCOMPARE(window->jobList().job(0).targetFormat, QStringLiteral("MP3"));
    QVERIFY(fixture.desktop.messages.empty());
    QCOMPARE(window->addFlows().chooser().ChooserResult(), QStringLiteral("1"));  // never shown
}

void AddJobFlowsTest::profileIconsTellTheEntriesOfATabApart() {
    for (const ProfileTabInfo& tab : profileTabs()) {
        std::vector<QImage> pictures;
        for (const TProfileEntry& profile : profilesOnTab(tab.tab)) {
            const QImage picture = app::paintProfileIcon(profile.Code, app::kProfileIconSize);
            QVERIFY2(!picture.isNull(), qPrintable(QString::number(profile.Code)));
            QCOMPARE(picture.size(), QSize(60, 60));
            QVERIFY(!app::profileIcon(profile.Code).isNull());
            for (const QImage& other : pictures) {
                QVERIFY2(other != picture, qPrintable(QString::number(profile.Code)));
            }
            pictures.push_back(picture);
        }
    }
    QVERIFY(app::paintProfileIcon(25, 60).isNull());
    QVERIFY(app::profileIcon(99).isNull());
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::AddJobFlowsTest)
#include "AddJobFlowsTest.moc"
