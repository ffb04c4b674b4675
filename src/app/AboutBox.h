// The About box ("关于"): the version line, the author and links to the maker's web site and
// support mail, opened with the desktop.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

#include "app/DesktopSeams.h"

class QLabel;
class QPushButton;

namespace velmora::app {

// The maker's addresses the About box and the help menu name.
struct MakerLinks {
    QString author;
    QUrl webSite;
    QString supportMail;  // an address; opened as mailto:
};

// The build-time values of ProductInfo.h.
MakerLinks defaultMakerLinks();

// mailto: for the support address.
QUrl mailAddress(const QString& address);

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(MakerLinks links, DesktopSeams seams, QWidget* parent = nullptr);

    QLabel* webLink() const { return m_webLink; }
    QLabel* mailLink() const { return m_mailLink; }
    QPushButton* okButton() const { return m_okButton; }

private:
    DesktopSeams m_seams;
    QLabel* m_webLink = nullptr;
    QLabel* m_mailLink = nullptr;
    QPushButton* m_okButton = nullptr;
};

}  // namespace velmora::app
