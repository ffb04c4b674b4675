#include "app/LogPane.h"

#include <QTextCursor>

namespace velmora::app {

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("logPane"));
    setReadOnly(true);
    setMaximumBlockCount(kMaxLines);
    hide();
}

QString LogPane::loggerLine(std::uint32_t threadId, TLogLevel level, const std::string& message) {
    QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) {
        text.chop(1);
    }
    return QStringLiteral("#%1.%2: %3").arg(threadId).arg(static_cast<int>(level)).arg(text);
}

void LogPane::appendLine(const QString& line) {
    for (const QString& part : line.split(QLatin1Char('\n'))) {
        m_lines.push_back(part);
    }
    while (m_lines.size() > static_cast<std::size_t>(kMaxLines)) {
        m_lines.pop_front();
    }
    if (isVisible() && !m_documentBehind) {
        appendPlainText(line);
    } else {
        m_documentBehind = true;
    }
}

void LogPane::appendNotice(const QString& line) {
    appendLine(QString());
    appendLine(line);
    appendLine(QString());
}

void LogPane::clearLines() {
    m_lines.clear();
    m_documentBehind = false;
    clear();
}

QStringList LogPane::lines() const {
    QStringList result;
    result.reserve(static_cast<qsizetype>(m_lines.size()));
    for (const QString& line : m_lines) {
        result << line;
    }
    return result;
}

QString LogPane::text() const {
    return lines().join(QLatin1Char('\n'));
}

void LogPane::showEvent(QShowEvent* event) {
    if (m_documentBehind) {
        setPlainText(text());
        moveCursor(QTextCursor::End);
        m_documentBehind = false;
    }
    QPlainTextEdit::showEvent(event);
}

}  // namespace velmora::app
