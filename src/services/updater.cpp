#include "services/updater.h"

#include "build_config.h"
#include "platform/clock.h"
#include "platform/defaults_store.h"
#include "services/network_policy.h"
#include "services/version_comparison.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <algorithm>
#include <limits>

using Failure = UpdateCheckResult::Failure;
using Kind = UpdateCheckResult::Kind;

namespace {
constexpr int kMaxRedirects = 5;

int clampedMs(std::chrono::milliseconds ms)
{
    return int(std::clamp<qint64>(ms.count(), 0, std::numeric_limits<int>::max()));
}
}  // namespace

Updater::Updater(UpdaterSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), network_(new QNetworkAccessManager(this))
{
    scheduleTimer_.setSingleShot(true);
    connect(&scheduleTimer_, &QTimer::timeout, this, &Updater::scheduleNextCheck);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { abortWith(Failure::timeout); });
}

Updater::~Updater()
{
    if (reply_) {
        disconnect(reply_, nullptr, this, nullptr);
        reply_->abort();
    }
}

DefaultsStore& Updater::store() const
{
    return settings_.store ? *settings_.store : DefaultsStore::shared();
}

Clock& Updater::clock() const
{
    return settings_.clock ? *settings_.clock : Clock::system();
}

void Updater::startUpdater()
{
    if (started_ || settings_.feedUrl.isEmpty())
        return;
    started_ = true;
    // The first look at the schedule waits, so launching is never slowed.
    scheduleTimer_.start(clampedMs(settings_.firstCheckDelay));
}

void Updater::scheduleNextCheck()
{
    const qint64 interval = settings_.checkInterval.count();
    qint64 last = store().readInt(lastCheckKey, -1);
    const qint64 now = clock().wallMs();
    if (last > now) {
        // The clock was set back: count the day from now, not from a time
        // that may lie years ahead.
        last = now;
        store().write(lastCheckKey, now);
    }
    const qint64 remaining = last < 0 ? 0 : std::max<qint64>(last + interval - now, 0);
    if (remaining == 0) {
        checkForUpdatesInBackground();
        scheduleTimer_.start(clampedMs(std::min(settings_.checkInterval, settings_.recheckInterval)));
        return;
    }
    scheduleTimer_.start(clampedMs(std::min(std::chrono::milliseconds(remaining), settings_.recheckInterval)));
}

void Updater::checkForUpdates()
{
    begin(true);
}

void Updater::checkForUpdatesInBackground()
{
    begin(false);
}

void Updater::begin(bool userInitiated)
{
    Q_EMIT checkStarted(userInitiated);
    if (reply_) {
        // The user asked while a scheduled check runs: that one answers them.
        userInitiated_ = userInitiated_ || userInitiated;
        return;
    }
    userInitiated_ = userInitiated;
    if (settings_.feedUrl.isEmpty()) {
        finish({Kind::notConfigured, Failure::none, userInitiated_, {}});
        return;
    }
    if (!NetworkPolicy::isAllowed(settings_.feedUrl, settings_.allowLoopbackHttp)) {
        finish({Kind::failed, Failure::insecureAddress, userInitiated_, {}});
        return;
    }
    // Every attempt counts, so a failing server is asked once a day, not in a loop.
    store().write(lastCheckKey, qint64(clock().wallMs()));

    QNetworkRequest request(settings_.feedUrl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(clampedMs(settings_.timeout));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Lumora/%1").arg(QString::fromUtf8(lumora::build::kVersion)));
    request.setRawHeader("Accept", "application/rss+xml, application/xml;q=0.9, */*;q=0.1");
    received_.clear();
    abortReason_ = Failure::none;
    certificateRefused_ = false;
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    deadline_.start(clampedMs(settings_.timeout));

    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& target) {
        if (reply != reply_)
            return;
        if (NetworkPolicy::isAllowed(target, settings_.allowLoopbackHttp))
            Q_EMIT reply->redirectAllowed();
        else
            abortWith(Failure::insecureAddress);
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply != reply_)
            return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > settings_.maxFeedBytes)
            abortWith(Failure::tooLarge);
    });
    // Certificate errors are never ignored: the connection fails with them.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>&) {
        if (reply == reply_)
            certificateRefused_ = true;
    });
    connect(reply, &QNetworkReply::readyRead, this, &Updater::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &Updater::onFinished);
}

void Updater::onReadyRead()
{
    if (!reply_)
        return;
    received_ += reply_->read(settings_.maxFeedBytes + 1 - received_.size());
    if (received_.size() > settings_.maxFeedBytes)
        abortWith(Failure::tooLarge);
}

void Updater::abortWith(Failure failure)
{
    if (!reply_)
        return;
    abortReason_ = failure;
    // Emits finished at once; onFinished reports the reason.
    reply_->abort();
}

void Updater::onFinished()
{
    QNetworkReply* reply = reply_;
    if (!reply || sender() != reply)
        return;
    reply_ = nullptr;
    deadline_.stop();
    reply->deleteLater();

    if (abortReason_ != Failure::none) {
        finish({Kind::failed, abortReason_, userInitiated_, {}});
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const auto error = reply->error();
        Failure failure = Failure::network;
        if (certificateRefused_)
            failure = Failure::certificate;
        else if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
            failure = Failure::timeout;  // the transfer timeout of the request
        else if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
                 error >= QNetworkReply::ContentAccessDenied)
            failure = Failure::httpStatus;
        finish({Kind::failed, failure, userInitiated_, {}});
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        finish({Kind::failed, Failure::httpStatus, userInitiated_, {}});
        return;
    }
    received_ += reply->read(settings_.maxFeedBytes + 1 - received_.size());
    if (received_.size() > settings_.maxFeedBytes) {
        finish({Kind::failed, Failure::tooLarge, userInitiated_, {}});
        return;
    }
    UpdateCheckResult result = evaluate(received_, settings_);
    received_.clear();
    result.userInitiated = userInitiated_;
    finish(std::move(result));
}

UpdateCheckResult Updater::evaluate(const QByteArray& feedData, const UpdaterSettings& settings)
{
    UpdateCheckResult result;
    const Appcast feed = Appcast::parse(feedData, settings.maxFeedBytes);
    if (!feed.isValid()) {
        result.kind = Kind::failed;
        result.failure = feed.error == Appcast::Error::tooLarge ? Failure::tooLarge : Failure::badFeed;
        return result;
    }
    const AppcastItem* best = nullptr;
    bool insecureNewer = false;
    for (const AppcastItem& item : feed.items) {
        const auto newer = VersionComparison::compare(item.version, settings.currentVersion);
        if (!newer || *newer <= 0)
            continue;
        // A release whose page we would not open is not offered.
        if (!NetworkPolicy::isAllowed(item.downloadLink, settings.allowLoopbackHttp)) {
            insecureNewer = true;
            continue;
        }
        if (!best || VersionComparison::compare(item.version, best->version).value_or(0) > 0)
            best = &item;
    }
    if (best) {
        result.kind = Kind::updateFound;
        result.update = *best;
    } else if (insecureNewer) {
        // Not "up to date": there is a release, only not one we can offer.
        result.kind = Kind::failed;
        result.failure = Failure::insecureAddress;
    } else {
        result.kind = Kind::upToDate;
    }
    return result;
}

void Updater::finish(UpdateCheckResult result)
{
    Q_EMIT checkFinished(result);
}
