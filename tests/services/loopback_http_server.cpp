#include "loopback_http_server.h"

#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>

namespace {
QByteArray readFile(const QString& name)
{
    QFile f(QStringLiteral(LUMORA_SOURCE_DIR "/tests/services/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

LoopbackHttpServer::LoopbackHttpServer(Transport transport) : transport_(transport)
{
    if (transport == Transport::tls) {
        auto ssl = std::make_unique<QSslServer>();
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(readFile(QStringLiteral("loopback_cert.pem"))));
        config.setPrivateKey(QSslKey(readFile(QStringLiteral("loopback_key.pem")), QSsl::Ec));
        ssl->setSslConfiguration(config);
        server_ = std::move(ssl);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    server_->listen(QHostAddress::LocalHost);
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, &LoopbackHttpServer::onConnection);
    // Counted before any handshake, so a refused TLS client still shows.
    if (auto* ssl = qobject_cast<QSslServer*>(server_.get())) {
        connect(ssl, &QSslServer::startedEncryptionHandshake, this, [this](QSslSocket*) { ++connections; });
    }
}

QUrl LoopbackHttpServer::url(const QString& path) const
{
    QUrl u;
    u.setScheme(transport_ == Transport::tls ? QStringLiteral("https") : QStringLiteral("http"));
    u.setHost(QStringLiteral("127.0.0.1"));
    u.setPort(server_->serverPort());
    u.setPath(path);
    return u;
}

void LoopbackHttpServer::onConnection()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (transport_ == Transport::plain)
            ++connections;
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers_.remove(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            onReadable(socket);
    }
}

void LoopbackHttpServer::onReadable(QTcpSocket* socket)
{
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() < headEnd + 4 + length)
        return;
    request.body = buffer.mid(headEnd + 4, length);
    buffer.clear();
    requests.push_back(request);
    if (response.silent)
        return;
    // Clients go by the code alone, so every reason phrase is the same.
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + " Loopback\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : response.headers) {
        out += name + ": " + value + "\r\n";
        hasLength = hasLength || name.compare("content-length", Qt::CaseInsensitive) == 0;
    }
    if (!hasLength)
        out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n" + response.body;
    socket->write(out);
    socket->disconnectFromHost();
}
