#include "ui/SkinSample.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Skins.h"

namespace velmora::test {
namespace {

// Draws a widget in the hover state without a mouse.
void showAsHovered(QWidget* widget) {
    widget->setAttribute(Qt::WA_UnderMouse, true);
}

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* button(const QString& text, QWidget* parent) {
    return new QPushButton(text, parent);
}

}  // namespace

SkinSampleWindow::SkinSampleWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Velmora"));
    addToolBar(static_cast<QToolBar*>(buildToolBar()));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout;
    top->addWidget(buildPreviewGroup());
    top->addWidget(buildJobGroup(), 1);
    layout->addLayout(top);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildSettingsGroup(), 1);
    bottom->addWidget(buildExtrasTabs(), 1);
    layout->addLayout(bottom);
    setCentralWidget(central);

    statusBar()->showMessage(QStringLiteral("添加要转换的视频音频文件"));
    statusBar()->addPermanentWidget(new QLabel(QStringLiteral("快照已保存"), this));

    m_messageBox =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("提示"),
                        QStringLiteral("转换失败：无法打开输入文件。\n是否继续转换其余的文件？"),
                        QMessageBox::Yes | QMessageBox::No, this);
    resize(1040, 760);
}

QWidget* SkinSampleWindow::buildToolBar() {
    auto* toolBar = new QToolBar(QStringLiteral("工具栏"), this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setMovable(false);

    auto* addMenu = new QMenu(this);
    addMenu->addAction(QStringLiteral("添加一个视频文件"));
    addMenu->addAction(QStringLiteral("添加多个视频文件"));
    auto* add = new QToolButton(toolBar);
    add->setText(QStringLiteral("添加"));
    add->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    add->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    add->setMenu(addMenu);
    add->setPopupMode(QToolButton::InstantPopup);
    toolBar->addWidget(add);

    toolBar->addAction(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("移除"));
    toolBar->addAction(style()->standardIcon(QStyle::SP_DialogResetButton), QStringLiteral("清空"));
    toolBar->addSeparator();
    QAction* convert =
        toolBar->addAction(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("转换"));
    showAsHovered(toolBar->widgetForAction(convert));
    QAction* pause =
        toolBar->addAction(style()->standardIcon(QStyle::SP_MediaPause), QStringLiteral("暂停"));
    pause->setCheckable(true);
    pause->setChecked(true);
    QAction* stop =
        toolBar->addAction(style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("停止"));
    stop->setEnabled(false);
    toolBar->addSeparator();

    m_skinMenu = new QMenu(this);
    auto* looks = new QActionGroup(m_skinMenu);
    for (const ui::SkinLook& look : ui::skinMenu()) {
        QAction* action = m_skinMenu->addAction(fromView(look.menuCaption));
        action->setCheckable(true);
        looks->addAction(action);
    }
    m_skinMenu->actions().at(1)->setChecked(true);
    auto* skin = new QToolButton(toolBar);
    skin->setText(QStringLiteral("皮肤"));
    skin->setIcon(style()->standardIcon(QStyle::SP_DesktopIcon));
    skin->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    skin->setMenu(m_skinMenu);
    skin->setPopupMode(QToolButton::MenuButtonPopup);
    toolBar->addWidget(skin);
    toolBar->addAction(style()->standardIcon(QStyle::SP_DialogHelpButton), QStringLiteral("帮助"));
    return toolBar;
}

QWidget* SkinSampleWindow::buildPreviewGroup() {
    auto* group = new QGroupBox(QStringLiteral("预览"), this);
    auto* layout = new QVBoxLayout(group);
    auto* panel = new QFrame(group);
    panel->setFixedSize(300, 200);
    panel->setAutoFillBackground(true);
    panel->setStyleSheet(QStringLiteral("background: black;"));
    layout->addWidget(panel);

    auto* pictureButtons = new QHBoxLayout;
    const QStyle::StandardPixmap icons[] = {
        QStyle::SP_MediaPlay,         QStyle::SP_MediaPause,       QStyle::SP_MediaStop,
        QStyle::SP_MediaSeekBackward, QStyle::SP_MediaSeekForward, QStyle::SP_DialogSaveButton};
    for (QStyle::StandardPixmap icon : icons) {
        auto* pictureButton = new QToolButton(group);
        pictureButton->setIcon(style()->standardIcon(icon));
        pictureButtons->addWidget(pictureButton);
    }
    layout->addLayout(pictureButtons);
    auto* trackBar = new QSlider(Qt::Horizontal, group);
    trackBar->setRange(0, 100);
    trackBar->setValue(35);
    layout->addWidget(trackBar);
    auto* disabledTrack = new QSlider(Qt::Horizontal, group);
    disabledTrack->setValue(60);
    disabledTrack->setEnabled(false);
    layout->addWidget(disabledTrack);
    auto* position = new QLabel(QStringLiteral("00:01:23.456 / 00:05:00.000"), group);
    layout->addWidget(position);
    layout->addStretch();
    return group;
}

QWidget* SkinSampleWindow::buildJobGroup() {
    auto* group = new QGroupBox(QStringLiteral("任务列表"), this);
    auto* layout = new QVBoxLayout(group);
    auto* list = new QTreeWidget(group);
    list->setRootIsDecorated(false);
    list->setAlternatingRowColors(true);
    list->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("视频源文件"),
                           QStringLiteral("源格式"), QStringLiteral("目标格式"),
                           QStringLiteral("当前时间"), QStringLiteral("转换进度"),
                           QStringLiteral("状态")});
    const struct {
        const char* source;
        const char* time;
        int percent;
        const char* status;
    } rows[] = {
        {"/home/用户/视频/旅行.mkv", "300   (秒)", 100, "完成"},
        {"/home/用户/视频/会议记录.avi", "125   (秒)", 42, "转换中..."},
        {"/home/用户/视频/demo.mp4", "0", 0, "准备"},
        {"/home/用户/视频/生日.mov", "12   (秒)", 8, "暂停"},
        {"/home/用户/音乐/歌曲.flac", "0", 0, "停止"},
        {"/home/用户/视频/毕业典礼.vob", "0", 0, "准备"},
        {"/home/用户/视频/猫.flv", "0", 0, "准备"},
        {"/home/用户/视频/海边.ts", "0", 0, "准备"},
    };
    int number = 1;
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem(list);
        const QString source = QString::fromUtf8(row.source);
        item->setText(0, QString::number(number++));
        item->setText(1, source);
        item->setText(2, source.section(QLatin1Char('.'), -1).toUpper());
        item->setText(3, QStringLiteral("MP4"));
        item->setText(4, QString::fromUtf8(row.time));
        item->setText(6, QString::fromUtf8(row.status));
        auto* progress = new QProgressBar(list);
        progress->setValue(row.percent);
        list->setItemWidget(item, 5, progress);
    }
    list->setCurrentItem(list->topLevelItem(1));
    const int widths[] = {46, 170, 56, 66, 82, 84, 70};
    for (int column = 0; column < 7; ++column) {
        list->header()->resizeSection(column, widths[column]);
    }
    layout->addWidget(list);

    auto* buttons = new QHBoxLayout;
    QPushButton* up = button(QStringLiteral("上移"), group);
    showAsHovered(up);
    QPushButton* down = button(QStringLiteral("下移"), group);
    down->setDown(true);
    QPushButton* remove = button(QStringLiteral("移除"), group);
    remove->setDefault(true);
    QPushButton* clear = button(QStringLiteral("清空"), group);
    clear->setEnabled(false);
    QPushButton* info = button(QStringLiteral("信息"), group);
    for (QPushButton* each : {up, down, remove, clear, info}) {
        buttons->addWidget(each);
    }
    layout->addLayout(buttons);
    return group;
}

QWidget* SkinSampleWindow::buildSettingsGroup() {
    auto* group = new QGroupBox(QStringLiteral("设置"), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("输出目录："), group), 0, 0);
    auto* folder = new QLineEdit(QStringLiteral("/home/用户/Video_Directory"), group);
    folder->setReadOnly(true);
    grid->addWidget(folder, 0, 1);
    auto* browse = new QHBoxLayout;
    browse->addWidget(button(QStringLiteral("浏览..."), group));
    browse->addWidget(button(QStringLiteral("打开"), group));
    grid->addLayout(browse, 0, 2);

    grid->addWidget(new QLabel(QStringLiteral("全部文件转换完毕后："), group), 1, 0);
    m_afterAllBox = new QComboBox(group);
    m_afterAllBox->addItems({QStringLiteral("无任何操作"), QStringLiteral("直接关闭计算机"),
                             QStringLiteral("打开文件夹查看转换的文件")});
    m_afterAllBox->setCurrentIndex(2);
    grid->addWidget(m_afterAllBox, 1, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("如果输出文件存在："), group), 2, 0);
    auto* existing = new QComboBox(group);
    existing->addItems(
        {QStringLiteral("自动生成相应的新文件名"), QStringLiteral("直接覆盖该文件")});
    existing->setEnabled(false);
    grid->addWidget(existing, 2, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("文件名："), group), 3, 0);
    auto* name = new QLineEdit(QStringLiteral("旅行(New_1).mp4"), group);
    name->selectAll();
    grid->addWidget(name, 3, 1);
    auto* disabledEdit = new QLineEdit(QStringLiteral("不可用"), group);
    disabledEdit->setEnabled(false);
    grid->addWidget(disabledEdit, 3, 2);

    auto* sound = new QCheckBox(QStringLiteral("完成后播放提示音"), group);
    sound->setChecked(true);
    grid->addWidget(sound, 4, 0);
    auto* hoveredBox = new QCheckBox(QStringLiteral("转换中..."), group);
    showAsHovered(hoveredBox);
    grid->addWidget(hoveredBox, 4, 1);
    auto* disabledBox = new QCheckBox(QStringLiteral("准备"), group);
    disabledBox->setChecked(true);
    disabledBox->setEnabled(false);
    grid->addWidget(disabledBox, 4, 2);

    auto* progress = new QProgressBar(group);
    progress->setValue(64);
    grid->addWidget(progress, 5, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("截取时间："), group), 6, 0);
    auto* start = new QTimeEdit(QTime(0, 1, 30), group);
    start->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    grid->addWidget(start, 6, 1);
    auto* volume = new QSpinBox(group);
    volume->setRange(0, 400);
    volume->setValue(100);
    volume->setSuffix(QStringLiteral(" %"));
    grid->addWidget(volume, 6, 2);

    auto* disabledLabel = new QLabel(QStringLiteral("同时进行转换的文件个数：1个文件"), group);
    disabledLabel->setEnabled(false);
    grid->addWidget(disabledLabel, 7, 0, 1, 3);
    return group;
}

QWidget* SkinSampleWindow::buildExtrasTabs() {
    auto* tabs = new QTabWidget(this);

    auto* formats = new QListWidget(tabs);
    formats->setViewMode(QListView::IconMode);
    formats->setIconSize(QSize(32, 32));
    formats->setGridSize(QSize(96, 64));
    formats->setResizeMode(QListView::Adjust);
    const char* names[] = {"AVI视频", "MP4视频", "WMV视频", "FLV视频", "MKV视频", "3GP手机"};
    for (const char* formatName : names) {
        new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon),
                            QString::fromUtf8(formatName), formats);
    }
    formats->setCurrentRow(1);
    tabs->addTab(formats, QStringLiteral("常用视频格式"));

    auto* facts = new QStandardItemModel(0, 2, tabs);
    facts->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("值")});
    const char* pairs[][2] = {
        {"文件名", "旅行.mkv"}, {"时长", "00:05:00.000"}, {"视频编码", "H.264 / AVC"},
        {"分辨率", "1280x720"}, {"音频编码", "AAC"},      {"采样率", "48000 Hz"},
        {"声道", "2"},          {"比特率", "2500 kb/s"}};
    for (const auto& pair : pairs) {
        facts->appendRow({new QStandardItem(QString::fromUtf8(pair[0])),
                          new QStandardItem(QString::fromUtf8(pair[1]))});
    }
    auto* table = new QTableView(tabs);
    table->setModel(facts);
    table->setAlternatingRowColors(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->selectRow(2);
    table->setColumnWidth(1, 400);
    tabs->addTab(table, QStringLiteral("媒体信息"));

    auto* log = new QPlainTextEdit(tabs);
    log->setReadOnly(true);
    for (int line = 0; line < 30; ++line) {
        log->appendPlainText(
            QStringLiteral("#4211.%1: 转换中... frame=%2").arg(line % 7).arg(line * 25));
    }
    tabs->addTab(log, QStringLiteral("日志"));
    auto* notes = new QTextEdit(tabs);
    notes->setPlainText(QStringLiteral("帮助：选择文件后点击“转换”。"));
    tabs->addTab(notes, QStringLiteral("说明"));
    tabs->setTabEnabled(3, false);

    // The tab shown is the icon list; the table and log also appear beside it so that their
    // headers, grid and scroll bars are drawn.
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs);
    auto* side = new QHBoxLayout;
    auto* tableCopy = new QTableView(holder);
    tableCopy->setModel(facts);
    tableCopy->setAlternatingRowColors(true);
    tableCopy->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableCopy->selectRow(2);
    tableCopy->setColumnWidth(1, 300);
    side->addWidget(tableCopy);
    auto* logCopy = new QPlainTextEdit(holder);
    logCopy->setReadOnly(true);
    logCopy->setPlainText(log->toPlainText());
    side->addWidget(logCopy);
    layout->addLayout(side);
    return holder;
}

QImage SkinSampleWindow::renderWithPopups() {
    // Keep the pointer off the window so that only the widgets marked as hovered look hovered.
    QCursor::setPos(0, 0);
    move(40, 40);
    show();
    QCoreApplication::processEvents();
    const QImage window = grab().toImage();

    m_skinMenu->popup(mapToGlobal(QPoint(0, 0)));
    m_skinMenu->setActiveAction(m_skinMenu->actions().at(3));
    const QImage skinMenu = m_skinMenu->grab().toImage();
    m_skinMenu->hide();

    QMenu snapshotMenu(this);
    auto* types = new QActionGroup(&snapshotMenu);
    for (const char* type : {"BMP", "JPG", "GIF", "PNG"}) {
        QAction* action = snapshotMenu.addAction(QString::fromLatin1(type));
        action->setCheckable(true);
        types->addAction(action);
    }
    snapshotMenu.actions().at(2)->setChecked(true);
    snapshotMenu.addSeparator();
    snapshotMenu.addAction(QStringLiteral("设置快照目录"));
    snapshotMenu.addAction(QStringLiteral("打开快照目录"))->setEnabled(false);
    snapshotMenu.popup(mapToGlobal(QPoint(0, 0)));
    snapshotMenu.setActiveAction(snapshotMenu.actions().at(5));
    const QImage snapshot = snapshotMenu.grab().toImage();
    snapshotMenu.hide();

    m_afterAllBox->showPopup();
    QWidget* popup = m_afterAllBox->view()->window();
    const QImage comboList = popup->grab().toImage();
    m_afterAllBox->hidePopup();

    m_messageBox->show();
    QCoreApplication::processEvents();
    const QImage message = m_messageBox->grab().toImage();
    m_messageBox->hide();

    constexpr int kGap = 12;
    const int secondColumn = std::max({snapshot.width(), comboList.width(), message.width()});
    const int width = window.width() + skinMenu.width() + secondColumn + 4 * kGap;
    const int height =
        std::max({window.height(), skinMenu.height(),
                  snapshot.height() + comboList.height() + message.height() + 2 * kGap}) +
        2 * kGap;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(0x80, 0x80, 0x80));
    QPainter painter(&sheet);
    int x = kGap;
    painter.drawImage(x, kGap, window);
    x += window.width() + kGap;
    painter.drawImage(x, kGap, skinMenu);
    x += skinMenu.width() + kGap;
    int y = kGap;
    for (const QImage* image : {&snapshot, &comboList, &message}) {
        painter.drawImage(x, y, *image);
        y += image->height() + kGap;
    }
    return sheet;
}

}  // namespace velmora::test
