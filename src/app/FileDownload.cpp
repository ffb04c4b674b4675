#include "app/FileDownload.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace velmora::app {

namespace {

constexpr int kMaxRedirects = 5;

}  // namespace

bool isWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

FileDownload::FileDownload(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("no complete answer within %1 ms").arg(m_timer.interval()));
    });
}

FileDownload::~FileDownload() {
    cancel();
}

void FileDownload::start(const QUrl& address, const QString& targetFile,
                         std::chrono::milliseconds timeout, qint64 maxBytes) {
    cancel();
    // Refusals are reported from the event loop too, so callers see one order of events.
    const auto refuse = [this](const QString& error) {
        QMetaObject::invokeMethod(
            this, [this, error] { emit finished(false, error); }, Qt::QueuedConnection);
    };
    if (!isWebAddress(address)) {
        refuse(QStringLiteral("not an http or https address: ") + address.toString());
        return;
    }
    m_file = std::make_unique<QSaveFile>(targetFile);
    if (!m_file->open(QIODevice::WriteOnly)) {
        const QString error =
            QStringLiteral("cannot write %1: %2").arg(targetFile, m_file->errorString());
        m_file.reset();
        refuse(error);
        return;
    }
    m_maxBytes = maxBytes;
    m_received = 0;
    m_failure.clear();

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Velmora"));
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &FileDownload::readAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &FileDownload::replyFinished);
    m_timer.start(timeout);
}

void FileDownload::cancel() {
    m_timer.stop();
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_file.reset();  // an uncommitted QSaveFile leaves the target alone
    m_failure.clear();
}

void FileDownload::readAvailable() {
    if (!m_reply || !m_failure.isEmpty()) {
        return;
    }
    const QByteArray data = m_reply->readAll();
    m_received += data.size();
    if (m_received > m_maxBytes) {
        fail(QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBytes));
        return;
    }
    if (m_file->write(data) != data.size()) {
        fail(QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
    }
}

void FileDownload::fail(const QString& error) {
    if (!m_reply) {
        return;
    }
    m_failure = error;
    // Ends in replyFinished(), which reports m_failure.
    m_reply->abort();
}

void FileDownload::replyFinished() {
    if (!m_reply) {
        return;
    }
    m_timer.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_failure.isEmpty()) {
        finish(false, m_failure);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finish(false, reply->errorString());
        return;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        finish(false, QStringLiteral("the server answered with status %1").arg(status.toInt()));
        return;
    }
    const QByteArray rest = reply->readAll();
    m_received += rest.size();
    if (m_received > m_maxBytes) {
        finish(false, QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBytes));
        return;
    }
    if (m_file->write(rest) != rest.size() || !m_file->commit()) {
        finish(
            false,
            QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
        return;
    }
    finish(true, {});
}

void FileDownload::finish(bool ok, const QString& error) {
    m_file.reset();
    m_failure.clear();
    emit finished(ok, error);
}

}  // namespace velmora::app
