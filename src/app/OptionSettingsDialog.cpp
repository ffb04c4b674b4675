#include "app/OptionSettingsDialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>

#include "profiles/JobCreation.h"

namespace velmora::app {

namespace {

// Entries a list shows when opened.
constexpr int kVisibleEntries = 30;
// Characters a closed list makes room for; longer entries show in full in the opened list.
constexpr int kListTextLength = 24;
constexpr int kTimeEditDigits = 4;
constexpr int kTimeEditWidth = 46;

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* labelFor(OptionKind kind, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(fromView(optionLabel(kind)), parent);
    label->setBuddy(buddy);
    return label;
}

CutTimeText timeText(const std::array<QLineEdit*, kCutEditCount>& edits) {
    return {edits[0]->text().toStdString(), edits[1]->text().toStdString(),
            edits[2]->text().toStdString()};
}

}  // namespace

OptionSettingsDialog::OptionSettingsDialog(PendingJobOptions& pending, const DesktopSeams& seams,
                                           std::function<QString()> outputFolder,
                                           std::function<void(QWidget&)> applyLook, QWidget* parent)
    : QDialog(parent),
      m_pending(pending),
      m_seams(seams),
      m_outputFolder(std::move(outputFolder)),
      m_applyLook(std::move(applyLook)),
      m_converter(std::make_unique<TMediaConverter>()) {
    setObjectName(QStringLiteral("optionSettings"));
    setWindowTitle(QStringLiteral("选项设置"));
    setModal(true);

    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        m_lists[i] = makeList(static_cast<OptionKind>(i));
    }

    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("sourceField"));
    m_source->setReadOnly(true);
    auto* sourceLabel = new QLabel(QStringLiteral("视频源："), this);
    sourceLabel->setBuddy(m_source);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceLabel);
    sourceRow->addWidget(m_source, 1);

    m_flipHorizontal = new QCheckBox(QStringLiteral("视频图像水平翻转"), this);
    m_flipVertical = new QCheckBox(QStringLiteral("视频图像垂直翻转"), this);
    m_negative = new QCheckBox(QStringLiteral("视频显示底片效果"), this);

    auto* videoGroup = new QGroupBox(QStringLiteral("视频编码详细设置"), this);
    auto* videoGrid = new QGridLayout(videoGroup);
    int row = 0;
    for (const OptionKind kind :
         {OptionKind::VideoBitRate, OptionKind::FrameSize, OptionKind::FrameRate}) {
        videoGrid->addWidget(labelFor(kind, list(kind), videoGroup), row, 0);
        videoGrid->addWidget(list(kind), row++, 1);
    }
    auto* pictureBoxes = new QVBoxLayout;
    pictureBoxes->setSpacing(2);
    pictureBoxes->addWidget(m_flipHorizontal);
    pictureBoxes->addWidget(m_flipVertical);
    pictureBoxes->addWidget(m_negative);
    videoGrid->addLayout(pictureBoxes, row, 0, 1, 2);
    videoGrid->setColumnStretch(1, 1);

    auto* audioGroup = new QGroupBox(QStringLiteral("音频编码详细设置"), this);
    auto* audioGrid = new QGridLayout(audioGroup);
    row = 0;
    for (const OptionKind kind :
         {OptionKind::AudioBitRate, OptionKind::SampleRate, OptionKind::Channels}) {
        audioGrid->addWidget(labelFor(kind, list(kind), audioGroup), row, 0);
        audioGrid->addWidget(list(kind), row++, 1);
    }
    audioGrid->setRowStretch(row, 1);
    audioGrid->setColumnStretch(1, 1);

    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(12);
    const auto addPair = [&](OptionKind kind, int gridRow, int column) {
        choices->addWidget(labelFor(kind, list(kind), this), gridRow, column);
        choices->addWidget(list(kind), gridRow, column + 1);
    };
    addPair(OptionKind::VideoEncoder, 0, 0);
    addPair(OptionKind::AudioEncoder, 0, 2);
    choices->addWidget(videoGroup, 1, 0, 1, 2);
    choices->addWidget(audioGroup, 1, 2, 1, 2);
    addPair(OptionKind::ScalingMode, 2, 0);
    addPair(OptionKind::Volume, 2, 2);
    choices->setColumnStretch(1, 1);
    choices->setColumnStretch(3, 1);

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &OptionSettingsDialog::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &OptionSettingsDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addLayout(choices);
    layout->addWidget(buildCutGroup());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

OptionSettingsDialog::~OptionSettingsDialog() = default;

QComboBox* OptionSettingsDialog::makeList(OptionKind kind) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromUtf8(optionListName(kind).data(),
                                         static_cast<qsizetype>(optionListName(kind).size())));
    box->setEditable(false);
    box->setMaxVisibleItems(kVisibleEntries);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kListTextLength);
    connect(box, &QComboBox::activated, this, [this, kind] { listPicked(kind); });
    return box;
}

QLineEdit* OptionSettingsDialog::makeTimeEdit() {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(kTimeEditDigits);
    edit->setFixedWidth(kTimeEditWidth);
    edit->setAlignment(Qt::AlignCenter);
    // The key filter reports typed letters; the validator also keeps pasted text to digits.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->installEventFilter(this);
    edit->setEnabled(false);
    return edit;
}

QWidget* OptionSettingsDialog::buildCutGroup() {
    auto* group = new QGroupBox(QStringLiteral("分割截取视频"), this);
    m_cutSwitch = new QCheckBox(QStringLiteral("允许截取视频"), group);
    connect(m_cutSwitch, &QCheckBox::toggled, this, &OptionSettingsDialog::cutSwitchToggled);
    m_preview = new QPushButton(QStringLiteral("预览视频"), group);
    m_preview->setAutoDefault(false);
    connect(m_preview, &QPushButton::clicked, this, [this] {
        if (!m_source->text().isEmpty()) {
            m_seams.openUrl(QUrl::fromLocalFile(m_source->text()));
        }
    });

    const auto timeRow = [this, group](const QString& caption,
                                       std::array<QLineEdit*, kCutEditCount>& edits) {
        auto* rowLayout = new QHBoxLayout;
        rowLayout->setSpacing(3);
        rowLayout->addWidget(new QLabel(caption, group));
        for (std::size_t part = 0; part < kCutEditCount; ++part) {
            if (part > 0) {
                rowLayout->addWidget(new QLabel(QStringLiteral(":"), group));
            }
            edits[part] = makeTimeEdit();
            rowLayout->addWidget(edits[part]);
        }
        return rowLayout;
    };

    auto* layout = new QGridLayout(group);
    layout->addWidget(m_cutSwitch, 0, 0);
    layout->addWidget(m_preview, 0, 1, Qt::AlignRight);
    layout->addLayout(timeRow(QStringLiteral("转换起始时间："), m_cutStart), 1, 0);
    layout->addLayout(timeRow(QStringLiteral("转换停止时间："), m_cutStop), 1, 1);
    return group;
}

void OptionSettingsDialog::prepareCutSwitch(bool offered) {
    m_cutSwitch->setChecked(false);
    m_cutSwitch->setEnabled(offered);
    cutSwitchToggled(false);
}

bool OptionSettingsDialog::run() {
    prepare();
    return exec() == QDialog::Accepted;
}

void OptionSettingsDialog::prepare() {
    if (m_applyLook) {
        m_applyLook(*this);
    }
    clearStep();
    fillStep();
    durationProbe();
}

void OptionSettingsDialog::clearStep() {
    m_source->clear();
    for (QComboBox* box : m_lists) {
        box->clear();
    }
    m_flipHorizontal->setChecked(false);
    m_flipVertical->setChecked(false);
    m_negative->setChecked(false);
    m_pending.VideoFilters.clear();
    m_pending.VideoTag.clear();
}

void OptionSettingsDialog::fillStep() {
    m_source->setText(fromUtf8(m_pending.SourceFile));
    m_source->setCursorPosition(0);
    const QString folder = m_outputFolder ? m_outputFolder() : QString();
    auto state = fillOptionSettings(m_pending, folder.toStdString());
    m_state = state ? std::move(*state) : OptionSettingsState{};
    setVideoControlsEnabled(m_state.MediaMode != kMediaModeMusic);
    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        showList(static_cast<OptionKind>(i));
    }
}

void OptionSettingsDialog::durationProbe() {
    for (QLineEdit* edit : m_cutStart) {
        edit->setText(QStringLiteral("00"));
    }
    std::optional<DurationSplit> split;
    if (!m_pending.SourceFile.empty() && m_converter->AVLibLoaded()) {
        if (const auto durationUs = sourceDurationThroughTask(*m_converter, m_pending.SourceFile)) {
            split = splitDuration(*durationUs);
        }
    }
    if (!split) {
        // The length stays what the last probe found.
        for (QLineEdit* edit : m_cutStop) {
            edit->clear();
        }
        return;
    }
    m_sourceSeconds = split->SourceSeconds;
    m_cutStop[0]->setText(fromUtf8(split->stop.hours));
    m_cutStop[1]->setText(fromUtf8(split->stop.minutes));
    m_cutStop[2]->setText(fromUtf8(split->stop.seconds));
}

void OptionSettingsDialog::showList(OptionKind kind) {
    QComboBox* box = list(kind);
    const OptionListState& shown = m_state.list(kind);
    box->clear();
    for (const std::string_view entry : shown.entries()) {
        box->addItem(fromView(entry));
    }
    box->setCurrentIndex(shown.selected);
    // The opened list is as wide as its longest entry.
    const int widest = box->view()->sizeHintForColumn(0) +
                       box->view()->verticalScrollBar()->sizeHint().width() + 8;
    box->view()->setMinimumWidth(std::max(widest, box->width()));
}

void OptionSettingsDialog::setVideoControlsEnabled(bool enabled) {
    for (const OptionKind kind :
         {OptionKind::VideoEncoder, OptionKind::VideoBitRate, OptionKind::FrameSize,
          OptionKind::FrameRate, OptionKind::ScalingMode}) {
        list(kind)->setEnabled(enabled);
    }
    m_flipHorizontal->setEnabled(enabled);
    m_flipVertical->setEnabled(enabled);
    m_negative->setEnabled(enabled);
}

void OptionSettingsDialog::listPicked(OptionKind kind) {
    const std::string text = list(kind)->currentText().toStdString();
    if (kind != OptionKind::VideoEncoder) {
        m_state.list(kind).select(text);
        return;
    }
    // Another encoder may bring another bit-rate or frame-size list with its own preselection.
    m_state.pickVideoEncoder(text);
    showList(OptionKind::VideoBitRate);
    showList(OptionKind::FrameSize);
}

void OptionSettingsDialog::cutSwitchToggled(bool checked) {
    for (QLineEdit* edit : m_cutStart) {
        edit->setEnabled(checked);
    }
    for (QLineEdit* edit : m_cutStop) {
        edit->setEnabled(checked);
    }
}

ShownOptions OptionSettingsDialog::shownOptions() const {
    ShownOptions shown;
    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        shown.texts[i] = m_lists[i]->currentText().toStdString();
    }
    shown.flipHorizontal = m_flipHorizontal->isChecked();
    shown.flipVertical = m_flipVertical->isChecked();
    shown.negative = m_negative->isChecked();
    shown.cutEnabled = m_cutSwitch->isChecked();
    shown.cutStart = timeText(m_cutStart);
    shown.cutStop = timeText(m_cutStop);
    shown.SourceSeconds = m_sourceSeconds;
    shown.MediaMode = m_state.MediaMode;
    shown.DiscKind = m_state.DiscKind;
    return shown;
}

void OptionSettingsDialog::confirm() {
    const QString folder = m_outputFolder ? m_outputFolder() : QString();
    Confirmation confirmation = confirmOptions(shownOptions(), m_pending, folder.toStdString());
    // A refused cut range keeps what was resolved before it, as the next confirmation redoes it.
    m_pending = std::move(confirmation.options);
    if (!confirmation.accepted) {
        showNotice(fromUtf8(confirmation.message));
        return;
    }
    accept();
}

void OptionSettingsDialog::showNotice(const QString& text) {
    m_seams.messageBox(this, QMessageBox::Information, QString::fromUtf8(kNoticeTitle), text,
                       QMessageBox::Ok);
}

bool OptionSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) != nullptr) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        // Digits, Backspace, Enter and keys that type nothing pass; any other character is
        // refused with the message.
        const QChar first = typed.isEmpty() ? QChar() : typed.at(0);
        if (first.isPrint() && !(first >= QLatin1Char('0') && first <= QLatin1Char('9'))) {
            showNotice(QString::fromUtf8(kDigitsOnlyMessage));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::app
