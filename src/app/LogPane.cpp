#include "app/LogPane.h"

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
    appendPlainText(line);
}

void LogPane::appendNotice(const QString& line) {
    appendPlainText(QString());
    appendPlainText(line);
    appendPlainText(QString());
}

QStringList LogPane::lines() const {
    return toPlainText().split(QLatin1Char('\n'));
}

}  // namespace velmora::app
