#pragma once

#include <QHash>
#include <QTcpServer>
#include <QUrl>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 for one test. Every request is kept
// and gets the same answer (none when silent, for timeouts). With TLS it
// presents the self-signed certificate committed beside it.
class LoopbackHttpServer final : public QObject {
public:
    struct Request {
        QByteArray method, target, body;
        QHash<QByteArray, QByteArray> headers;  // names in lower case
    };

    explicit LoopbackHttpServer(bool tls = false);
    QUrl url(const QString& path) const { return QUrl(base_ + QString::number(server_->serverPort()) + path); }

    int status = 200;
    QByteArray body, location;
    bool silent = false;
    std::vector<Request> requests;

private:
    void onReadable(QTcpSocket* socket);
    QString base_;
    QTcpServer* server_;
};
