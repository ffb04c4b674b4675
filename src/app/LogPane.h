// The main window's log pane: job creation's messages and every line of the process-wide logger
// as "#" thread id "." level ": " message. It is part of the window but not shown.
//
// The lines are kept apart from the text widget's document: a document lays out every line it
// is given, which for a library that logs a few lines per opened file cost the GUI thread more
// than opening the files. The document is filled when the pane is shown, and kept up to date
// while it is visible.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <string>

#include "medialib/MediaLogger.h"

namespace velmora::app {

class LogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    // Lines kept; older ones are dropped so a chatty library cannot fill the memory.
    static constexpr int kMaxLines = 5000;

    explicit LogPane(QWidget* parent = nullptr);

    // "#" + thread id + "." + level number + ": " + message, without a trailing line break.
    static QString loggerLine(std::uint32_t threadId, TLogLevel level, const std::string& message);

    // A line with line breaks in it counts as that many lines.
    void appendLine(const QString& line);
    // A job-creation message between empty lines.
    void appendNotice(const QString& line);
    void clearLines();
    // The lines kept, oldest first, and the same joined by line breaks.
    QStringList lines() const;
    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::deque<QString> m_lines;
    bool m_documentBehind = false;  // lines were added while the pane was hidden
};

}  // namespace velmora::app
