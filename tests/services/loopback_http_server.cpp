#include "loopback_http_server.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>

LoopbackHttpServer::LoopbackHttpServer(bool tls) : base_(tls ? "https://127.0.0.1:" : "http://127.0.0.1:")
{
    if (tls) {
        auto* ssl = new QSslServer(this);
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        QFile key(QStringLiteral(LUMORA_SOURCE_DIR "/tests/services/loopback_key.pem"));
        config.setPrivateKey(QSslKey(key.open(QIODevice::ReadOnly) ? key.readAll() : QByteArray(), QSsl::Ec));
        config.setLocalCertificate(
            QSslCertificate::fromPath(QStringLiteral(LUMORA_SOURCE_DIR "/tests/services/loopback_cert.pem")).value(0));
        ssl->setSslConfiguration(config);
        server_ = ssl;
    } else {
        server_ = new QTcpServer(this);
    }
    server_->listen(QHostAddress::LocalHost);
    connect(server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            onReadable(socket);
        }
    });
}

void LoopbackHttpServer::onReadable(QTcpSocket* socket)
{
    // The request stays in the socket until all of it has come.
    const QByteArray data = socket->peek(socket->bytesAvailable());
    const qsizetype headEnd = data.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    Request request;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> first = lines[0].split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    request.body = data.mid(headEnd + 4);
    if (request.body.size() < request.headers.value("content-length", "0").toLongLong())
        return;
    socket->readAll();
    requests.push_back(request);
    if (silent)
        return;
    // Clients go by the code alone, so every reason phrase is the same.
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + " Loopback\r\n";
    if (!location.isEmpty())
        out += "Location: " + location + "\r\n";
    socket->write(out + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}
