#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>
#include <memory>
#include <vector>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for one test. Every request gets the
// same configured answer (or none, for timeouts); every request is kept.
// With TLS it presents the self-signed certificate committed beside it.
class LoopbackHttpServer final : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray target;
        QHash<QByteArray, QByteArray> headers;  // names in lower case
        QByteArray body;
    };
    struct Response {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool silent = false;  // accept and read, never answer
    };

    enum class Transport { plain, tls };

    explicit LoopbackHttpServer(Transport transport = Transport::plain);

    QUrl url(const QString& path) const;

    Response response;
    std::vector<Request> requests;
    int connections = 0;

private:
    void onConnection();
    void onReadable(QTcpSocket* socket);

    Transport transport_;
    std::unique_ptr<QTcpServer> server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};
