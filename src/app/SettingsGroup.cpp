#include "app/SettingsGroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora::app {

namespace {

constexpr int kDefaultAfterAll = 2;
constexpr int kDefaultCpuUsage = 3;
constexpr int kDefaultFilesAtOnce = 0;
constexpr int kDefaultExistingFile = 0;
constexpr int kMaxFilesAtOnce = 10;

QComboBox* comboWith(const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

}  // namespace

SettingsGroup::SettingsGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("转换设置"), parent),
      m_folder(new QLineEdit(this)),
      m_browse(new QPushButton(QStringLiteral("浏览..."), this)),
      m_open(new QPushButton(QStringLiteral("打开"), this)),
      m_afterAll(comboWith({QStringLiteral("无任何操作"), QStringLiteral("直接关闭计算机"),
                            QStringLiteral("打开文件夹查看转换的文件")},
                           this)),
      m_existingFile(comboWith(
          {QStringLiteral("自动生成相应的新文件名"), QStringLiteral("直接覆盖该文件")}, this)),
      m_cpuUsage(comboWith({QStringLiteral("闲置时进行"), QStringLiteral("CPU占用最低"),
                            QStringLiteral("CPU占用一般"), QStringLiteral("正常转换")},
                           this)),
      m_filesAtOnce(new QComboBox(this)),
      m_outputType(comboWith({QStringLiteral("AVI视频格式 (*.AVI)")}, this)) {
    setObjectName(QStringLiteral("settingsGroup"));
    m_folder->setReadOnly(true);
    m_folder->setObjectName(QStringLiteral("outputFolder"));
    for (int files = 1; files <= kMaxFilesAtOnce; ++files) {
        m_filesAtOnce->addItem(QStringLiteral("%1个文件").arg(files));
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setVerticalSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("输出目录："), this), 0, 0);
    layout->addWidget(m_folder, 0, 1, 1, 3);
    layout->addWidget(m_browse, 0, 4);
    layout->addWidget(m_open, 0, 5);
    layout->addWidget(new QLabel(QStringLiteral("全部文件转换完毕后："), this), 1, 0);
    layout->addWidget(m_afterAll, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("如果输出文件存在："), this), 1, 2);
    layout->addWidget(m_existingFile, 1, 3, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    // Present but never shown: their values stay at the defaults every start sets.
    const struct {
        const char* caption;
        QComboBox* box;
    } hidden[] = {{"CPU占用率修改项目：", m_cpuUsage},
                  {"同时进行转换的文件个数：", m_filesAtOnce},
                  {"输出文件类型选择：", m_outputType}};
    for (const auto& control : hidden) {
        auto* label = new QLabel(QString::fromUtf8(control.caption), this);
        label->hide();
        control.box->hide();
    }

    connect(m_browse, &QPushButton::clicked, this, &SettingsGroup::browseRequested);
    connect(m_open, &QPushButton::clicked, this, &SettingsGroup::openRequested);
    resetQueueSettings();
}

void SettingsGroup::resetQueueSettings() {
    m_afterAll->setCurrentIndex(kDefaultAfterAll);
    m_cpuUsage->setCurrentIndex(kDefaultCpuUsage);
    m_filesAtOnce->setCurrentIndex(kDefaultFilesAtOnce);
    m_existingFile->setCurrentIndex(kDefaultExistingFile);
    m_outputType->setCurrentIndex(0);
}

QString SettingsGroup::outputFolder() const {
    return m_folder->text();
}

void SettingsGroup::setOutputFolder(const QString& folder) {
    m_folder->setText(folder);
    m_folder->setToolTip(folder);
}

AfterAllAction SettingsGroup::afterAllAction() const {
    return static_cast<AfterAllAction>(m_afterAll->currentIndex());
}

ExistingFileRule SettingsGroup::existingFileRule() const {
    return m_existingFile->currentIndex() == 1 ? ExistingFileRule::Overwrite
                                               : ExistingFileRule::NewName;
}

ThreadPriority SettingsGroup::workerPriority() const {
    switch (m_cpuUsage->currentIndex()) {
        case 0:
            return ThreadPriority::idle;
        case 1:
            return ThreadPriority::lowest;
        case 2:
            return ThreadPriority::lower;
        default:
            return ThreadPriority::normal;
    }
}

int SettingsGroup::filesAtOnce() const {
    return m_filesAtOnce->currentIndex() + 1;
}

void SettingsGroup::setQueueControlsEnabled(bool enabled) {
    m_browse->setEnabled(enabled);
    m_cpuUsage->setEnabled(enabled);
    m_filesAtOnce->setEnabled(enabled);
    m_existingFile->setEnabled(enabled);
}

}  // namespace velmora::app
