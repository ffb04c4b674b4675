#include "app/FormatChooser.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ProfileIcons.h"

namespace velmora::app {

namespace {

// Room for an icon and three lines of the longest captions under it.
constexpr QSize kGridSize(152, 124);
constexpr int kCodeRole = Qt::UserRole;

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::size_t slotOf(ProfileTab tab) {
    return static_cast<std::size_t>(tab);
}

// Every entry takes its whole cell of the grid. The size the style would compute wraps the
// caption for one width while looks that pad their items paint it narrower, which cut captions
// short; with the cell's size the caption wraps within the room it is painted in.
class CellSizedDelegate : public QStyledItemDelegate {
public:
    CellSizedDelegate(QSize size, QObject* parent) : QStyledItemDelegate(parent), m_size(size) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return m_size;
    }

private:
    QSize m_size;
};

int tabIndexOf(ProfileTab tab) {
    const auto tabs = profileTabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i].tab == tab) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

}  // namespace

FormatChooser::FormatChooser(PendingJobOptions& pending, const DesktopSeams& seams,
                             std::function<void(QWidget&)> applyLook, QWidget* parent)
    : QDialog(parent), m_pending(pending), m_seams(seams), m_applyLook(std::move(applyLook)) {
    setObjectName(QStringLiteral("formatChooser"));
    setWindowTitle(QStringLiteral("选择转换格式"));
    setModal(true);

    m_prompt = new QLabel(QStringLiteral("请选择您要转换的影片格式："), this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("profileTabs"));
    for (const ProfileTabInfo& info : profileTabs()) {
        m_lists[slotOf(info.tab)] = buildList(info.tab);
        m_tabs->addTab(m_lists[slotOf(info.tab)], fromView(info.caption));
    }
    connect(m_tabs, &QTabWidget::tabBarClicked, this, [this](int index) {
        const auto tabs = profileTabs();
        if (index >= 0 && static_cast<std::size_t>(index) < tabs.size()) {
            clickTab(tabs[static_cast<std::size_t>(index)].tab);
        }
    });

    m_next = new QPushButton(QStringLiteral("下一步"), this);
    m_next->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    connect(m_next, &QPushButton::clicked, this, &FormatChooser::goOn);
    connect(m_cancel, &QPushButton::clicked, this, &FormatChooser::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    fillLists();
    m_tabs->setCurrentIndex(0);
    // Four icons with their captions side by side, four rows of them.
    resize(kGridSize.width() * 4 + 90, kGridSize.height() * 4 + 130);
}

FormatChooser::~FormatChooser() {
    // The lists empty themselves as they go, which must not reach a pending record that may
    // already be gone.
    for (QListWidget* entries : m_lists) {
        entries->disconnect(this);
    }
}

QListWidget* FormatChooser::buildList(ProfileTab tab) {
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("profileList%1").arg(tabIndexOf(tab) + 1));
    list->setViewMode(QListView::IconMode);
    list->setIconSize(QSize(kProfileIconSize, kProfileIconSize));
    list->setGridSize(kGridSize);
    list->setWordWrap(true);
    list->setItemDelegate(new CellSizedDelegate(kGridSize - QSize(6, 6), list));
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setDragEnabled(false);
    list->viewport()->installEventFilter(this);
    connect(list, &QListWidget::itemSelectionChanged, this, [this, tab] { selectionChanged(tab); });
    return list;
}

void FormatChooser::fillLists() {
    // In this order each list selects its first entry (the audio list none), so the last one,
    // the first tab's, gives the code the chooser starts with.
    for (const ProfileTab tab :
         {ProfileTab::Computer, ProfileTab::Devices, ProfileTab::Audio, ProfileTab::Common}) {
        QListWidget* entries = list(tab);
        entries->clear();
        for (const TProfileEntry& profile : profilesOnTab(tab)) {
            auto* item = new QListWidgetItem(profileIcon(profile.Code), fromView(profile.Caption));
            item->setToolTip(fromView(profile.Caption));
            item->setData(kCodeRole, profile.Code);
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
            entries->addItem(item);
        }
        if (tab != ProfileTab::Audio) {
            entries->setCurrentRow(0);
        }
    }
}

QListWidget* FormatChooser::list(ProfileTab tab) const {
    return m_lists[slotOf(tab)];
}

ProfileTab FormatChooser::visibleTab() const {
    const auto tabs = profileTabs();
    const int index = m_tabs->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < tabs.size()
               ? tabs[static_cast<std::size_t>(index)].tab
               : tabs.front().tab;
}

void FormatChooser::clickTab(ProfileTab tab) {
    m_tabs->setCurrentIndex(tabIndexOf(tab));
    QListWidget* entries = list(tab);
    entries->setCurrentRow(0);
    entries->scrollToTop();
    // The first entry may have been selected already, which changes no selection.
    selectionChanged(tab);
}

void FormatChooser::selectionChanged(ProfileTab tab) {
    const QList<QListWidgetItem*> selected = list(tab)->selectedItems();
    // A list that loses its selection keeps the code of the last selected entry.
    if (!selected.isEmpty()) {
        m_pending.ProfileCode = selected.first()->data(kCodeRole).toInt();
    }
}

void FormatChooser::goOn() {
    const QList<QListWidgetItem*> selected = list(visibleTab())->selectedItems();
    if (selected.isEmpty()) {
        showChooseMessage();
        return;
    }
    // The entry the user sees selected is the one that goes on, however the tab was reached.
    m_pending.ProfileCode = selected.first()->data(kCodeRole).toInt();
    accept();
}

void FormatChooser::showChooseMessage() {
    m_seams.messageBox(this, QMessageBox::Information, QStringLiteral("提示"),
                       QString::fromUtf8(kChooseTypeMessage), QMessageBox::Ok);
}

bool FormatChooser::choose(const std::function<bool()>& openOptions) {
    m_chooserResult = QString::fromLatin1(kChooserShown);
    if (m_applyLook) {
        m_applyLook(*this);
    }
    if (QListWidget* shown = list(visibleTab()); !shown->selectedItems().isEmpty()) {
        shown->scrollToItem(shown->selectedItems().first());
    }
    for (;;) {
        if (exec() != QDialog::Accepted) {
            m_chooserResult = QString::fromLatin1(kChooserCancelled);
            return false;
        }
        if (openOptions()) {
            return true;
        }
    }
}

bool FormatChooser::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    if (!press && !doubleClick) {
        return QDialog::eventFilter(watched, event);
    }
    for (QListWidget* entries : m_lists) {
        if (entries == nullptr || watched != entries->viewport()) {
            continue;
        }
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex index = entries->indexAt(position);
        if (!index.isValid()) {
            // A click on empty space clears the selection but keeps the profile code.
            entries->clearSelection();
            showChooseMessage();
            return true;
        }
        if (doubleClick) {
            // The entry double-clicked is the one that goes on.
            entries->setCurrentRow(index.row());
            goOn();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::app
