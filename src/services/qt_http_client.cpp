// The module lumora-network: HttpClient carried out by Qt Network.
#include "services/http_client.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslError>
#include <algorithm>
#include <limits>

namespace {

QNetworkRequest toRequest(const HttpRequest& from)
{
    QNetworkRequest request(from.url);
    for (const auto& [name, value] : from.headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         from.maxRedirects > 0 ? QNetworkRequest::UserVerifiedRedirectPolicy
                                               : QNetworkRequest::ManualRedirectPolicy);
    if (from.maxRedirects > 0)
        request.setMaximumRedirectsAllowed(from.maxRedirects);
    request.setTransferTimeout(int(std::clamp<qint64>(from.transferTimeout.count(), 0,
                                                      std::numeric_limits<int>::max())));
    return request;
}

class QtHttpReply final : public HttpReply {
public:
    QtHttpReply(QNetworkReply* reply, Handlers handlers) : reply_(reply), handlers_(std::move(handlers))
    {
        QObject::connect(reply, &QNetworkReply::redirected, reply, [this](const QUrl& target) {
            // A copy: the handler may destroy this reply.
            const auto redirect = handlers_.redirect;
            const QPointer<QNetworkReply> reply = reply_;
            if (redirect && redirect(target)) {
                if (reply)
                    Q_EMIT reply->redirectAllowed();
            } else if (reply) {
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this] { call(handlers_.headersReceived); });
        QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                         [this](const QList<QSslError>&) { certificateRefused_ = true; });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [this] { call(handlers_.readyRead); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [this] {
            finished_ = true;
            call(handlers_.finished);
        });
    }

    ~QtHttpReply() override
    {
        if (!reply_)
            return;
        QObject::disconnect(reply_, nullptr, reply_, nullptr);
        if (!finished_)
            reply_->abort();
        reply_->deleteLater();
    }

    QByteArray read(qint64 maxBytes) override { return reply_ ? reply_->read(maxBytes) : QByteArray(); }

    void abort() override
    {
        if (reply_)
            reply_->abort();
    }

    qint64 contentLength() const override
    {
        const QVariant length = reply_ ? reply_->header(QNetworkRequest::ContentLengthHeader) : QVariant();
        return length.isValid() ? length.toLongLong() : -1;
    }

    int httpStatus() const override
    {
        return reply_ ? reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
    }

    Error error() const override
    {
        if (!reply_)
            return Error::network;
        const auto error = reply_->error();
        if (error == QNetworkReply::NoError)
            return Error::none;
        if (certificateRefused_)
            return Error::certificate;
        if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
            return Error::timeout;  // the request's transfer timeout
        if (httpStatus() != 0 && error >= QNetworkReply::ContentAccessDenied)
            return Error::httpStatus;
        return Error::network;
    }

private:
    static void call(std::function<void()> handler)
    {
        // Called on a copy: the handler may destroy this reply.
        if (handler)
            handler();
    }

    QPointer<QNetworkReply> reply_;
    Handlers handlers_;
    bool certificateRefused_ = false;
    bool finished_ = false;
};

class QtHttpClient final : public HttpClient {
public:
    std::unique_ptr<HttpReply> get(const HttpRequest& request, HttpReply::Handlers handlers) override
    {
        QNetworkAccessManager* network = manager();
        if (!network)
            return nullptr;
        return std::make_unique<QtHttpReply>(network->get(toRequest(request)), std::move(handlers));
    }

    void post(const HttpRequest& request, const QByteArray& body) override
    {
        if (QNetworkAccessManager* network = manager()) {
            QNetworkReply* reply = network->post(toRequest(request), body);
            // The answer does not matter; the reply only has to go away.
            QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
        }
    }

private:
    static QPointer<QNetworkAccessManager>& shared()
    {
        static QPointer<QNetworkAccessManager> network;
        return network;
    }

    static QNetworkAccessManager* manager()
    {
        // Made on first use, and taken down with its replies while the
        // application still stands: Qt Network asks for it as it closes.
        if (!shared() && QCoreApplication::instance()) {
            shared() = new QNetworkAccessManager;
            qAddPostRoutine([] { delete shared().data(); });
        }
        return shared();
    }
};

}  // namespace

extern "C" Q_DECL_EXPORT HttpClient* lumora_network_create()
{
    return new QtHttpClient;
}
