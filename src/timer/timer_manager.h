#pragma once

#include "platform/published.h"
#include "timer/timer_types.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <vector>

class AlarmSound;
class Clock;
class NotificationHelper;
class DefaultsStore;
class LocalizationManager;

// The one countdown of the application: its inputs, its state, the five
// persisted settings and the read-outs the window and the tray show.
class TimerManager final : public QObject {
    Q_OBJECT
public:
    static inline const QString notificationTypeKey = QStringLiteral("notificationType");
    static inline const QString appThemeKey = QStringLiteral("appTheme");
    static inline const QString launchAtLoginKey = QStringLiteral("launchAtLogin");
    static inline const QString bringToFrontOnExpireKey = QStringLiteral("bringToFrontOnExpire");
    static inline const QString showRestartOnExpireKey = QStringLiteral("showRestartOnExpire");

    static constexpr int tickIntervalMs = 100;
    static constexpr int ringIntervalMs = 1000;

    TimerManager(DefaultsStore& store, Clock& clock, LocalizationManager& l10n,
                 QObject* parent = nullptr);
    ~TimerManager() override;

    static TimerManager& shared();

    const std::vector<Preset> presets;

    // Settings: read from and written to the store on every access.
    NotificationType notificationType() const;
    void setNotificationType(NotificationType type);
    AppTheme appTheme() const;
    void setAppTheme(AppTheme theme);
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool on);
    bool bringToFrontOnExpire() const;
    void setBringToFrontOnExpire(bool on);
    bool showRestartOnExpire() const;
    void setShowRestartOnExpire(bool on);

    // Inputs, written by the views. Not clamped here: the engine clamps on use.
    Published<TimerMode> mode;
    Published<qint64> selectedPresetMinutes;
    Published<qint64> customMinutes;
    Published<qint64> customSeconds;
    Published<qint64> targetHour;
    Published<qint64> targetMinute;

    // Countdown state, written only by the operations below.
    Published<bool, TimerManager> isRunning;
    Published<bool, TimerManager> isPaused;
    Published<qint64, TimerManager> remainingSeconds;
    Published<qint64, TimerManager> totalSeconds;
    Published<bool, TimerManager> isRinging;

    // What expiry uses to ring and to notify; none means silent / no notice.
    void setAlarmSound(AlarmSound* sound) { sound_ = sound; }
    void setNotificationHelper(NotificationHelper* helper);

    void start();
    void pause();
    void reset();
    void stopRinging();

    qint64 calculateSeconds() const;
    qint64 displaySeconds() const;
    QString formattedDisplay() const;
    double progress() const;
    QString statusText() const;
    QString startButtonTitle() const;

    static QString formatSeconds(qint64 seconds);

    // Whether the tick timer is scheduled (for tests and benchmarks).
    bool isTicking() const;
    bool isSoundTimerActive() const;

Q_SIGNALS:
    // Before every assignment of any published field.
    void objectWillChange();

private:
    // Which clock an end instant is read on.
    enum class Base { elapsed, wall };
    struct EndInstant {
        Base base;
        std::int64_t ms;
    };

    void startTimerLoop();
    void stopTimerLoop();
    void tick();
    void finish();
    void startRinging();
    void playAlarm();
    void onNotificationActivated(const QString& identifier, const QString& actionKey);
    std::int64_t nowOn(Base base) const;
    NotificationType storedNotificationType() const;

    DefaultsStore& store_;
    Clock& clock_;
    LocalizationManager& l10n_;
    AlarmSound* sound_ = nullptr;
    QPointer<NotificationHelper> notifications_;
    QPointer<QTimer> timer_;
    QPointer<QTimer> soundTimer_;
    QString ringNotificationId_;
    std::optional<EndInstant> endTime_;
    qint64 pausedRemaining_ = 0;
};
