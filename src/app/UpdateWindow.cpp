#include "app/UpdateWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/FileDownload.h"
#include "app/ProductInfo.h"
#include "medialib/MediaLogger.h"
#include "profiles/SettingsFile.h"

namespace velmora::app {

namespace {

constexpr const char* kVersionSection = "version";
constexpr int kProgressConnecting = 20;
constexpr int kProgressChecking = 50;
constexpr int kProgressDone = 100;

const char* const kInstructionLines[] = {
    "1.请确认您已经连接到网上,如果您设置了防火墙,必须允许程序通过.",
    "2.检测软件是否有新版本,如果有点击下载按钮.",
    "3.软件更新可能需要30秒--几分钟,这期间请您耐心等待...",
};

QString iniValue(const std::string& text, const char* key) {
    return QString::fromStdString(readIniValue(text, kVersionSection, key).value_or(""));
}

}  // namespace

UpdateSetup defaultUpdateSetup() {
    UpdateSetup setup;
    setup.versionFileAddress = QUrl(QString::fromUtf8(kUpdateAddress));
    setup.versionFilePath =
        updateFilePath(QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return setup;
}

QString updateFilePath(const QString& executableFolder, const QString& userDataFolder) {
    const QDir programFolder(executableFolder);
    const bool installed =
        QFileInfo(programFolder.filePath(QStringLiteral("../share/velmora"))).isDir();
    if (!installed && QFileInfo(executableFolder).isWritable()) {
        return programFolder.filePath(QStringLiteral("update.ini"));
    }
    return QDir(userDataFolder).filePath(QStringLiteral("velmora/update.ini"));
}

VersionFile readVersionFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const std::string text = file.read(UpdateWindow::kMaxVersionFileBytes).toStdString();
    VersionFile version;
    version.latestVersion = iniValue(text, "new");
    version.date = iniValue(text, "date");
    version.size = iniValue(text, "size");
    version.downloadAddress = iniValue(text, "links1");
    return version;
}

UpdateWindow::UpdateWindow(UpdateSetup setup, DesktopSeams seams, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_seams(std::move(seams)) {
    setObjectName(QStringLiteral("updateWindow"));
    setWindowTitle(QStringLiteral("网上升级"));
    m_download = new FileDownload(this);

    auto* heading = new QLabel(QStringLiteral("软件更新步骤:"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("updateStatus"));
    m_memo = new QPlainTextEdit(this);
    m_memo->setReadOnly(true);
    m_memo->setMinimumHeight(140);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kProgressDone);
    m_checkButton = new QPushButton(QStringLiteral("检测升级"), this);
    m_downloadButton = new QPushButton(QStringLiteral("开始下载"), this);
    m_backButton = new QPushButton(QStringLiteral("返回"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    for (const char* line : kInstructionLines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addWidget(m_status);
    layout->addWidget(m_memo, 1);
    layout->addWidget(m_progress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_checkButton);
    buttons->addWidget(m_downloadButton);
    buttons->addWidget(m_backButton);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(m_checkButton, &QPushButton::clicked, this, &UpdateWindow::checkForUpdate);
    connect(m_downloadButton, &QPushButton::clicked, this, &UpdateWindow::openDownloadAddress);
    connect(m_backButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_download, &FileDownload::finished, this, &UpdateWindow::versionFileDownloaded);
}

UpdateWindow::~UpdateWindow() = default;

void UpdateWindow::showEvent(QShowEvent* event) {
    m_memo->clear();
    m_status->setText(QStringLiteral("状态信息:"));
    m_downloadButton->setEnabled(false);
    m_progress->setValue(0);
    QDialog::showEvent(event);
}

void UpdateWindow::hideEvent(QHideEvent* event) {
    // A check still running when the window goes away ends unseen.
    if (m_download->running()) {
        m_download->cancel();
        m_checkButton->setEnabled(true);
    }
    QDialog::hideEvent(event);
}

void UpdateWindow::setStatusAndOnlyLine(const QString& text) {
    m_status->setText(text);
    m_memo->setPlainText(text);
}

void UpdateWindow::checkForUpdate() {
    if (m_download->running()) {
        return;
    }
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("正在连接软件网站...."));
    m_memo->clear();
    m_memo->appendPlainText(QStringLiteral("正在连接软件网站,请您耐心等待...."));
    m_progress->setValue(kProgressConnecting);
    m_checkButton->setEnabled(false);
    QDir().mkpath(QFileInfo(m_setup.versionFilePath).absolutePath());
    m_download->start(m_setup.versionFileAddress, m_setup.versionFilePath, m_setup.timeout,
                      kMaxVersionFileBytes);
}

void UpdateWindow::versionFileDownloaded(bool ok, const QString& error) {
    m_checkButton->setEnabled(true);
    if (!ok) {
        Logger().Log(this, TLogLevel::llWarning, "online update: " + error.toStdString());
        setStatusAndOnlyLine(QStringLiteral("连接失败!可能网络忙或没连接到网络..."));
        emit checkFinished();
        return;
    }
    m_progress->setValue(kProgressChecking);
    m_status->setText(QStringLiteral("正在检测新版本的程序...."));
    const VersionFile version = readVersionFile(m_setup.versionFilePath);
    if (version.latestVersion.isEmpty()) {
        // A page without a version (an error page, a broken file) announces no new version.
        Logger().Log(this, TLogLevel::llWarning,
                     "online update: no [version] new value in " +
                         m_setup.versionFileAddress.toString().toStdString());
        setStatusAndOnlyLine(QStringLiteral("检测失败!版本信息文件不完整,没有找到最新版本号..."));
    } else if (version.latestVersion == QLatin1String(kUpdateVersion)) {
        setStatusAndOnlyLine(QStringLiteral("没有检测到新版本,现在使用的为最新版本!"));
        m_progress->setValue(kProgressDone);
    } else {
        showNewVersion(version);
    }
    emit checkFinished();
}

void UpdateWindow::showNewVersion(const VersionFile& version) {
    m_memo->clear();
    m_status->setText(QStringLiteral("发现新版本程序,您可以升级下载新版本。"));
    m_memo->appendPlainText(QStringLiteral("发现新版本程序...."));
    m_memo->appendPlainText(QStringLiteral("软件名称:Velmora"));
    m_memo->appendPlainText(QStringLiteral("最新版本:") + version.latestVersion);
    m_memo->appendPlainText(QStringLiteral("更新日期:") + version.date);
    m_memo->appendPlainText(QStringLiteral("软件大小:") + version.size);
    m_memo->appendPlainText(QStringLiteral("下载链接:") + version.downloadAddress);
    m_memo->appendPlainText(QString());
    m_downloadButton->setEnabled(true);
    m_downloadAddress = version.downloadAddress;
    m_progress->setValue(kProgressDone);
    m_memo->appendPlainText(QStringLiteral(
        "检测完成,您可以点击<开始下载>按钮打开下载最新升级版本。推荐您使用（网际快车）软件下载。"));
}

void UpdateWindow::openDownloadAddress() {
    m_memo->clear();
    const QUrl address(m_downloadAddress, QUrl::StrictMode);
    // The address comes from the network: only a web page may be opened, never a local file or
    // a program's own scheme.
    if (!isWebAddress(address)) {
        m_memo->appendPlainText(QStringLiteral("下载链接不是http或https网址,已拒绝打开:") +
                                m_downloadAddress);
        return;
    }
    if (!m_seams.openUrl || !m_seams.openUrl(address)) {
        m_memo->appendPlainText(QStringLiteral("无法打开下载链接:") + m_downloadAddress);
    }
}

}  // namespace velmora::app
