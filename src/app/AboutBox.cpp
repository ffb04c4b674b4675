#include "app/AboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProductInfo.h"

namespace velmora::app {

namespace {

// A label showing a link; the desktop opens it through the window's seam, never by itself.
QLabel* linkLabel(const QString& caption, const QUrl& target, const QString& shown,
                  QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::RichText);
    label->setText(caption + QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(target.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                      shown.toHtmlEscaped()));
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

}  // namespace

MakerLinks defaultMakerLinks() {
    return MakerLinks{QString::fromUtf8(kAuthor), QUrl(QString::fromUtf8(kWebSite)),
                      QString::fromUtf8(kSupportMail)};
}

QUrl mailAddress(const QString& address) {
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(address);
    return mail;
}

AboutBox::AboutBox(MakerLinks links, DesktopSeams seams, QWidget* parent)
    : QDialog(parent), m_seams(std::move(seams)) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("关于"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/velmora.svg")).pixmap(64, 64));
    auto* version = new QLabel(QString::fromUtf8(kAboutVersionLine), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    QFont large = version->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.3);
    version->setFont(large);
    auto* author = new QLabel(QStringLiteral("作者：") + links.author, this);
    author->setTextFormat(Qt::PlainText);
    m_webLink = linkLabel(QStringLiteral("网站："), links.webSite,
                          links.webSite.toString(QUrl::PrettyDecoded), this);
    m_mailLink = linkLabel(QStringLiteral("信箱："), mailAddress(links.supportMail),
                           links.supportMail, this);
    m_okButton = new QPushButton(QStringLiteral("确定"), this);
    m_okButton->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(author);
    texts->addWidget(m_webLink);
    texts->addWidget(m_mailLink);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    const auto open = [this](const QString& link) {
        if (m_seams.openUrl) {
            m_seams.openUrl(QUrl(link));
        }
    };
    connect(m_webLink, &QLabel::linkActivated, this, open);
    connect(m_mailLink, &QLabel::linkActivated, this, open);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace velmora::app
