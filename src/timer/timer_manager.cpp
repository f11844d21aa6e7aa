#include "timer/timer_manager.h"

#include "localization/localization_manager.h"
#include "notifications/notification_helper.h"
#include "platform/alarm_sound.h"
#include "platform/app_notification_center.h"
#include "platform/lazy_chime_sound.h"
#include "platform/clock.h"
#include "platform/defaults_store.h"
#include "timer/target_time.h"

#include <QUuid>
#include <algorithm>
#include <limits>

namespace {
constexpr qint64 kMax = std::numeric_limits<qint64>::max();

qint64 saturatingMul(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (__builtin_mul_overflow(a, b, &out))
        return (a < 0) != (b < 0) ? std::numeric_limits<qint64>::min() : kMax;
    return out;
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 out = 0;
    if (__builtin_add_overflow(a, b, &out))
        return b < 0 ? std::numeric_limits<qint64>::min() : kMax;
    return out;
}

std::vector<Preset> makePresets()
{
    std::vector<Preset> out;
    for (qint64 m : {1, 3, 5, 10, 15, 20, 25, 30, 45, 60})
        out.push_back({QString::number(m) + QStringLiteral("分钟"), m});
    return out;
}
}  // namespace

TimerManager::TimerManager(DefaultsStore& store, Clock& clock, LocalizationManager& l10n,
                           QObject* parent)
    : QObject(parent),
      presets(makePresets()),
      mode(TimerMode::preset, [this] { Q_EMIT objectWillChange(); }),
      selectedPresetMinutes(10, [this] { Q_EMIT objectWillChange(); }),
      customMinutes(0, [this] { Q_EMIT objectWillChange(); }),
      customSeconds(0, [this] { Q_EMIT objectWillChange(); }),
      targetHour(clock.wallNow().time().hour(), [this] { Q_EMIT objectWillChange(); }),
      targetMinute(clock.wallNow().time().minute(), [this] { Q_EMIT objectWillChange(); }),
      isRunning(false, [this] { Q_EMIT objectWillChange(); }),
      isPaused(false, [this] { Q_EMIT objectWillChange(); }),
      remainingSeconds(0, [this] { Q_EMIT objectWillChange(); }),
      totalSeconds(0, [this] { Q_EMIT objectWillChange(); }),
      isRinging(false, [this] { Q_EMIT objectWillChange(); }),
      store_(store),
      clock_(clock),
      l10n_(l10n)
{
}

TimerManager::~TimerManager()
{
    stopTimerLoop();
    if (soundTimer_)
        soundTimer_->stop();
}

TimerManager& TimerManager::shared()
{
    static auto* instance = [] {
        auto* t = new TimerManager(DefaultsStore::shared(), Clock::system(),
                                   LocalizationManager::shared());
        t->setAlarmSound(new LazyChimeSound(t));
        t->setNotificationHelper(&NotificationHelper::shared());
        return t;
    }();
    return *instance;
}

void TimerManager::setNotificationHelper(NotificationHelper* helper)
{
    if (notifications_)
        disconnect(notifications_, nullptr, this, nullptr);
    notifications_ = helper;
    if (helper)
        connect(helper, &NotificationHelper::activated, this,
                [this](const QString& id, const QString& key, const QString&) {
                    onNotificationActivated(id, key);
                });
}

// --- settings -------------------------------------------------------------

NotificationType TimerManager::notificationType() const
{
    return storedNotificationType();
}

NotificationType TimerManager::storedNotificationType() const
{
    const QString raw = store_.readString(notificationTypeKey, QStringLiteral("both"));
    return notificationTypeFromRaw(raw).value_or(NotificationType::both);
}

void TimerManager::setNotificationType(NotificationType type)
{
    store_.write(notificationTypeKey, rawValue(type));
}

AppTheme TimerManager::appTheme() const
{
    const QString raw = store_.readString(appThemeKey, QStringLiteral("system"));
    return appThemeFromRaw(raw).value_or(AppTheme::system);
}

void TimerManager::setAppTheme(AppTheme theme)
{
    store_.write(appThemeKey, rawValue(theme));
}

bool TimerManager::launchAtLogin() const
{
    return store_.readBool(launchAtLoginKey, false);
}

void TimerManager::setLaunchAtLogin(bool on)
{
    store_.write(launchAtLoginKey, on);
}

bool TimerManager::bringToFrontOnExpire() const
{
    return store_.readBool(bringToFrontOnExpireKey, true);
}

void TimerManager::setBringToFrontOnExpire(bool on)
{
    store_.write(bringToFrontOnExpireKey, on);
}

bool TimerManager::showRestartOnExpire() const
{
    return store_.readBool(showRestartOnExpireKey, true);
}

void TimerManager::setShowRestartOnExpire(bool on)
{
    store_.write(showRestartOnExpireKey, on);
}

// --- countdown ------------------------------------------------------------

qint64 TimerManager::calculateSeconds() const
{
    switch (mode.get()) {
    case TimerMode::preset:
        return std::max<qint64>(0, saturatingMul(selectedPresetMinutes, 60));
    case TimerMode::custom: {
        const qint64 m = std::clamp<qint64>(customMinutes, 0, 999);
        const qint64 s = std::clamp<qint64>(customSeconds, 0, 59);
        return m * 60 + s;
    }
    case TimerMode::targetTime: {
        const int h = int(std::clamp<qint64>(targetHour, 0, 23));
        const int m = int(std::clamp<qint64>(targetMinute, 0, 59));
        const std::int64_t now = clock_.wallMs();
        const auto target = target_time::nextOccurrence(now, h, m, clock_.timeZone());
        if (!target)
            return 0;
        return (*target - now) / 1000;
    }
    }
    return 0;
}

std::int64_t TimerManager::nowOn(Base base) const
{
    return base == Base::elapsed ? clock_.elapsedMs() : clock_.wallMs();
}

void TimerManager::start()
{
    if (isPaused) {
        // A paused countdown resumes as a plain duration.
        endTime_ = EndInstant{Base::elapsed,
                              saturatingAdd(clock_.elapsedMs(), saturatingMul(pausedRemaining_, 1000))};
        isPaused.assign(false);
        isRunning.assign(true);
        startTimerLoop();
        return;
    }
    if (isRunning)
        return;

    const qint64 n = calculateSeconds();
    if (n < 1)
        return;
    totalSeconds.assign(n);
    remainingSeconds.assign(n);
    // Durations are measured on the clock that wall-clock corrections do not
    // move; a clock-time target keeps its wall-clock end so it rings on time.
    const Base base = mode.get() == TimerMode::targetTime ? Base::wall : Base::elapsed;
    endTime_ = EndInstant{base, saturatingAdd(nowOn(base), saturatingMul(n, 1000))};
    isRunning.assign(true);
    isPaused.assign(false);
    // Nothing else may be ringing now; a stray ring timer would sound forever
    // with no overlay left to stop it.
    if (soundTimer_) {
        soundTimer_->stop();
        soundTimer_->deleteLater();
        soundTimer_ = nullptr;
    }
    isRinging.assign(false);
    if (notifications_)
        notifications_->requestAuthorizationIfNeeded();
    startTimerLoop();
}

void TimerManager::startTimerLoop()
{
    stopTimerLoop();
    auto* t = new QTimer(this);
    t->setTimerType(Qt::PreciseTimer);
    t->setInterval(tickIntervalMs);
    connect(t, &QTimer::timeout, this, &TimerManager::tick);
    t->start();
    timer_ = t;
}

void TimerManager::stopTimerLoop()
{
    if (timer_) {
        timer_->stop();
        timer_->deleteLater();
    }
    timer_ = nullptr;
}

bool TimerManager::isTicking() const
{
    return timer_ && timer_->isActive();
}

void TimerManager::tick()
{
    if (!endTime_)
        return;
    // Truncated toward zero: a fraction of a second left counts as nothing.
    qint64 r = (endTime_->ms - nowOn(endTime_->base)) / 1000;
    if (r < 0)
        r = 0;
    remainingSeconds.assign(r);
    if (remainingSeconds <= 0)
        finish();
}

void TimerManager::finish()
{
    stopTimerLoop();
    isRunning.assign(false);
    isPaused.assign(false);
    remainingSeconds.assign(0);

    const NotificationType type = notificationType();
    const bool ring = type == NotificationType::desktop || type == NotificationType::both;
    if (ring) {
        isRinging.assign(true);
        startRinging();
    }
    if (type == NotificationType::system || type == NotificationType::both) {
        const QString title = l10n_.localized(QStringLiteral("notify.finishTitle"));
        const QString body = l10n_.localized(QStringLiteral("notify.finishBody"));
        if (notifications_) {
            NotificationRequest request;
            request.identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
            request.title = title;
            request.body = body;
            request.soundName = QStringLiteral("alarm-clock-elapsed");
            // Like a kitchen timer: it stays until dealt with.
            request.critical = true;
            if (ring) {
                request.actions.append({QStringLiteral("ring.stop"),
                                        l10n_.localized(QStringLiteral("ring.stop"))});
                ringNotificationId_ = request.identifier;
            }
            notifications_->post(request);
        }
    }
    if (bringToFrontOnExpire())
        AppNotificationCenter::defaultCenter().post(AppNotificationCenter::bringToFrontOnExpire);
}

void TimerManager::startRinging()
{
    if (soundTimer_) {
        soundTimer_->stop();
        soundTimer_->deleteLater();
    }
    playAlarm();
    auto* t = new QTimer(this);
    t->setTimerType(Qt::PreciseTimer);
    t->setInterval(ringIntervalMs);
    connect(t, &QTimer::timeout, this, &TimerManager::playAlarm);
    t->start();
    soundTimer_ = t;
}

void TimerManager::playAlarm()
{
    if (sound_)
        sound_->play();
}

void TimerManager::stopRinging()
{
    if (soundTimer_) {
        soundTimer_->stop();
        soundTimer_->deleteLater();
    }
    soundTimer_ = nullptr;
    isRinging.assign(false);
    // The notice's stop button has nothing left to stop.
    if (!ringNotificationId_.isEmpty() && notifications_)
        notifications_->close(ringNotificationId_);
    ringNotificationId_.clear();
}

bool TimerManager::isSoundTimerActive() const
{
    return soundTimer_ && soundTimer_->isActive();
}

void TimerManager::onNotificationActivated(const QString& identifier, const QString& actionKey)
{
    if (identifier == ringNotificationId_ && actionKey == QLatin1String("ring.stop")) {
        stopRinging();
        reset();
    }
}

void TimerManager::pause()
{
    if (!isRunning || isPaused)
        return;
    stopTimerLoop();
    pausedRemaining_ = remainingSeconds;
    isPaused.assign(true);
}

void TimerManager::reset()
{
    stopTimerLoop();
    stopRinging();
    isRunning.assign(false);
    isPaused.assign(false);
    isRinging.assign(false);
    remainingSeconds.assign(0);
    totalSeconds.assign(0);
    endTime_.reset();
}

// --- read-outs ------------------------------------------------------------

qint64 TimerManager::displaySeconds() const
{
    if (isRunning || isPaused)
        return remainingSeconds;
    if (isRinging)
        return 0;
    return calculateSeconds();
}

QString TimerManager::formatSeconds(qint64 d)
{
    d = std::max<qint64>(0, d);
    const qint64 hours = d / 3600;
    const qint64 minutes = (d % 3600) / 60;
    const qint64 seconds = d % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (d < 3600)
        return two(minutes) + QLatin1Char(':') + two(seconds);
    return two(hours) + QLatin1Char(':') + two(minutes) + QLatin1Char(':') + two(seconds);
}

QString TimerManager::formattedDisplay() const
{
    return formatSeconds(displaySeconds());
}

double TimerManager::progress() const
{
    if (totalSeconds < 1)
        return 0.0;
    if (!isRunning && !isPaused)
        return 0.0;
    const double p = 1.0 - double(remainingSeconds.get()) / double(totalSeconds.get());
    return std::clamp(p, 0.0, 1.0);
}

QString TimerManager::statusText() const
{
    if (isRinging)
        return l10n_.localized(QStringLiteral("status.timeup"));
    if (isPaused)
        return l10n_.localized(QStringLiteral("status.paused"));
    if (isRunning)
        return l10n_.localized(QStringLiteral("status.counting"));
    return l10n_.localized(QStringLiteral("status.ready"));
}

QString TimerManager::startButtonTitle() const
{
    if (isPaused)
        return l10n_.localized(QStringLiteral("start.continue"));
    if (isRunning)
        return l10n_.localized(QStringLiteral("start.running"));
    return l10n_.localized(QStringLiteral("start.begin"));
}
