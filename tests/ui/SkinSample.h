// A window with one of every kind of widget the program's windows use, in the states a look has
// to cover (hover, pressed, checked, disabled, selected and alternating rows), with Chinese texts
// so that the CJK font is drawn too. The look tests and the gallery render it.
#pragma once

#include <QImage>
#include <QMainWindow>

class QComboBox;
class QMenu;
class QMessageBox;

namespace velmora::test {

class SkinSampleWindow : public QMainWindow {
public:
    explicit SkinSampleWindow(QWidget* parent = nullptr);

    // The window with its pop-ups beside it (a menu with its current item, the list of a combo
    // box, a message box), drawn offscreen into one picture.
    QImage renderWithPopups();

private:
    QWidget* buildToolBar();
    QWidget* buildPreviewGroup();
    QWidget* buildJobGroup();
    QWidget* buildSettingsGroup();
    QWidget* buildExtrasTabs();

    QMenu* m_skinMenu = nullptr;
    QComboBox* m_afterAllBox = nullptr;
    QMessageBox* m_messageBox = nullptr;
};

}  // namespace velmora::test
