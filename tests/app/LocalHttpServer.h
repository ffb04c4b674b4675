// A tiny HTTP server on 127.0.0.1 for the online update's tests: canned answers by path, and
// paths that accept the connection but never answer.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace velmora::test {

class LocalHttpServer : public QTcpServer {
    Q_OBJECT
public:
    explicit LocalHttpServer(QObject* parent = nullptr);

    // Listens on a free port of 127.0.0.1; false when it cannot.
    bool start();
    QUrl address(const QString& path) const;

    // The answer for a path: status code and body.
    void answer(const QString& path, int status, const QByteArray& body);
    // Requests for this path are read and never answered.
    void stayQuiet(const QString& path);

    int requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket);

    struct Answer {
        int status = 404;
        QByteArray body;
        bool quiet = false;
    };
    QHash<QString, Answer> m_answers;
    QList<QPointer<QTcpSocket>> m_quietSockets;  // kept open until the server goes away
    int m_requests = 0;
};

// A port on 127.0.0.1 on which nothing listens (taken, then released).
quint16 closedLocalPort();

}  // namespace velmora::test
