// Downloads one small file over http or https into a local file, for the online update. The
// file is replaced only by a complete download: a failed, refused, oversized or timed-out one
// leaves what was there.
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSaveFile>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>

namespace velmora::app {

class FileDownload : public QObject {
    Q_OBJECT
public:
    explicit FileDownload(QObject* parent = nullptr);
    ~FileDownload() override;

    // Starts the download; finished() follows once, also for an address that is not http or
    // https, a file that cannot be written, a body larger than maxBytes, or no complete answer
    // within timeout (counted from the start). A download already running is cancelled first.
    void start(const QUrl& address, const QString& targetFile, std::chrono::milliseconds timeout,
               qint64 maxBytes);
    // Ends a running download without finished(); the target file stays as it was.
    void cancel();
    bool running() const { return m_reply != nullptr; }

signals:
    // ok: the target file now holds the whole answer. Otherwise error says why, in English.
    void finished(bool ok, const QString& error);

private:
    void readAvailable();
    void replyFinished();
    void fail(const QString& error);
    void finish(bool ok, const QString& error);

    QNetworkAccessManager m_network;
    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    qint64 m_maxBytes = 0;
    qint64 m_received = 0;
    QString m_failure;  // set before the reply is aborted for a reason of our own
};

// True for an absolute http or https address with a host.
bool isWebAddress(const QUrl& address);

}  // namespace velmora::app
