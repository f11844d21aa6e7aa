#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

// What the update check and the install report ask of the network. Qt
// Network and the libraries it brings come with the module lumora-network,
// loaded on the first request, so they stay out of start-up. The module and
// the executable share only this header, so it holds no code of its own.

struct HttpRequest {
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Up to this many redirects, each put to the reply's `redirect`
    // handler; with 0 none is followed.
    int maxRedirects = 0;
    // Without progress for this long the transfer ends with a timeout; 0: never.
    std::chrono::milliseconds transferTimeout{0};
};

// One GET under way. Handlers run on the thread that sent it, never before
// get() has returned, and the owner may destroy the reply from within one. Destroying a reply that is
// still under way cancels it without any handler being called.
class HttpReply {
public:
    enum class Error { none, network, certificate, timeout, httpStatus };

    struct Handlers {
        // Whether to follow a redirect to this address; if not, the reply
        // is cancelled and `finished` follows.
        std::function<bool(const QUrl&)> redirect;
        std::function<void()> headersReceived;
        std::function<void()> readyRead;
        std::function<void()> finished;
    };

    virtual ~HttpReply() = default;
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Ends the transfer; `finished` is called before this returns.
    virtual void abort() = 0;
    // The announced length of the body; negative when none was announced.
    virtual qint64 contentLength() const = 0;
    // The HTTP status, 0 before (or without) an answer.
    virtual int httpStatus() const = 0;
    // How it ended; `none` also while under way. A refused certificate is
    // never ignored: the transfer fails with `certificate`.
    virtual Error error() const = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual std::unique_ptr<HttpReply> get(const HttpRequest& request, HttpReply::Handlers handlers) = 0;
    // Sent and forgotten: the answer and any error are dropped.
    virtual void post(const HttpRequest& request, const QByteArray& body) = 0;
};

namespace http {
// The client of this process, loaded on first use; null (after one warning
// that says why) when the module cannot be loaded. Main thread only.
HttpClient* client();
// Where client() looks for the module, from its next call on; for tests.
// A client already loaded is dropped (replies under way carry on).
void useModuleAt(const QStringList& paths);
}  // namespace http

// The module's one entry point, lumora_network_create: a new client.
using CreateHttpClient = HttpClient* (*)();
