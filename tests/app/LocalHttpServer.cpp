#include "LocalHttpServer.h"

#include <QHostAddress>

namespace velmora::test {

LocalHttpServer::LocalHttpServer(QObject* parent) : QTcpServer(parent) {
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

bool LocalHttpServer::start() {
    return listen(QHostAddress::LocalHost, 0);
}

QUrl LocalHttpServer::address(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void LocalHttpServer::answer(const QString& path, int status, const QByteArray& body) {
    m_answers[path] = Answer{status, body, false};
}

void LocalHttpServer::stayQuiet(const QString& path) {
    m_answers[path] = Answer{0, {}, true};
}

void LocalHttpServer::serve(QTcpSocket* socket) {
    // Requests are small: wait until the whole head is there.
    if (!socket->peek(64 * 1024).contains("\r\n\r\n")) {
        return;
    }
    const QByteArray head = socket->readAll();
    ++m_requests;
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
    const Answer answer = m_answers.value(path, Answer{404, "not found", false});
    if (answer.quiet) {
        m_quietSockets << socket;
        return;
    }
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) +
                          (answer.status == 200 ? " OK" : " Error") + "\r\n";
    response +=
        "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
        "\r\nConnection: close\r\n\r\n";
    response += answer.body;
    socket->write(response);
    socket->disconnectFromHost();
}

quint16 closedLocalPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

}  // namespace velmora::test
