#include "services/updater.h"

#include "build_config.h"
#include "platform/clock.h"
#include "platform/defaults_store.h"
#include "services/http_client.h"
#include "services/network_policy.h"
#include "services/version_comparison.h"

#include <algorithm>
#include <limits>

using Failure = UpdateCheckResult::Failure;
using Kind = UpdateCheckResult::Kind;

namespace {
constexpr int kMaxRedirects = 5;

Failure failureOf(HttpReply::Error error)
{
    switch (error) {
    case HttpReply::Error::none: return Failure::none;
    case HttpReply::Error::certificate: return Failure::certificate;
    case HttpReply::Error::timeout: return Failure::timeout;
    case HttpReply::Error::httpStatus: return Failure::httpStatus;
    case HttpReply::Error::network: break;
    }
    return Failure::network;
}

int clampedMs(std::chrono::milliseconds ms)
{
    return int(std::clamp<qint64>(ms.count(), 0, std::numeric_limits<int>::max()));
}
}  // namespace

Updater::Updater(UpdaterSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings))
{
    scheduleTimer_.setSingleShot(true);
    connect(&scheduleTimer_, &QTimer::timeout, this, &Updater::scheduleNextCheck);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { abortWith(Failure::timeout); });
}

// A check under way is cancelled with its reply, without a word.
Updater::~Updater() = default;

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

    HttpClient* network = http::client();
    if (!network) {
        finish({Kind::failed, Failure::network, userInitiated_, {}});
        return;
    }
    HttpRequest request;
    request.url = settings_.feedUrl;
    request.maxRedirects = kMaxRedirects;
    request.transferTimeout = settings_.timeout;
    request.headers = {{"User-Agent", QByteArray("Lumora/") + lumora::build::kVersion},
                       {"Accept", "application/rss+xml, application/xml;q=0.9, */*;q=0.1"}};
    received_.clear();
    abortReason_ = Failure::none;

    HttpReply::Handlers handlers;
    handlers.redirect = [this](const QUrl& target) {
        if (NetworkPolicy::isAllowed(target, settings_.allowLoopbackHttp))
            return true;
        abortReason_ = Failure::insecureAddress;
        return false;
    };
    handlers.headersReceived = [this] {
        if (reply_ && reply_->contentLength() > settings_.maxFeedBytes)
            abortWith(Failure::tooLarge);
    };
    handlers.readyRead = [this] { onReadyRead(); };
    handlers.finished = [this] { onFinished(); };
    reply_ = network->get(request, std::move(handlers));
    if (!reply_) {
        finish({Kind::failed, Failure::network, userInitiated_, {}});
        return;
    }
    deadline_.start(clampedMs(settings_.timeout));
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
    if (!reply_)
        return;
    // Gone at the end of this call; its handlers are not called again.
    const std::unique_ptr<HttpReply> reply = std::move(reply_);
    deadline_.stop();

    if (abortReason_ != Failure::none) {
        finish({Kind::failed, abortReason_, userInitiated_, {}});
        return;
    }
    if (const Failure failure = failureOf(reply->error()); failure != Failure::none) {
        finish({Kind::failed, failure, userInitiated_, {}});
        return;
    }
    const int status = reply->httpStatus();
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
