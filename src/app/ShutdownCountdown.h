// The last chance before the computer is powered off after a run: a window counting down from
// 60 seconds that the user can cancel or cut short.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace velmora::app {

class ShutdownCountdown : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSeconds = 60;

    explicit ShutdownCountdown(QWidget* parent = nullptr);

    // Shows the countdown modally; true when it ran out or the user chose to power off now.
    static bool confirm(QWidget* parent);

    int secondsLeft() const { return m_secondsLeft; }
    QString text() const;

public slots:
    // One second passed: the text counts down, and at zero the dialog is accepted.
    void tick();

private:
    QLabel* m_label;
    QTimer* m_timer;
    int m_secondsLeft = kSeconds;
};

}  // namespace velmora::app
