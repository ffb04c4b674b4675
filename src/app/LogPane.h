// The main window's log pane: job creation's messages and every line of the process-wide logger
// as "#" thread id "." level ": " message. It is part of the window but not shown.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <cstdint>
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

    void appendLine(const QString& line);
    // A job-creation message between empty lines.
    void appendNotice(const QString& line);
    QStringList lines() const;
};

}  // namespace velmora::app
