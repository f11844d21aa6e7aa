#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class QDBusContext;
class TimerManager;

// org.lumora.Lumora.Timer: the countdown for scripts, launchers and the
// command line, on the object that also answers org.freedesktop.Application.
// Refusals are D-Bus errors with a message for people; a change of the
// read-outs is announced with PropertiesChanged, at most once a second while
// counting down since the read-out changes no faster.
class TimerBusInterface final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.lumora.Lumora.Timer")
    Q_PROPERTY(QString State READ state)
    Q_PROPERTY(QString Mode READ mode)
    Q_PROPERTY(qlonglong RemainingSeconds READ remainingSeconds)
    Q_PROPERTY(qlonglong TotalSeconds READ totalSeconds)
    Q_PROPERTY(QString Display READ display)
public:
    static inline const QString interfaceName = QStringLiteral("org.lumora.Lumora.Timer");
    // Asked for what the countdown's state does not allow now.
    static inline const QString refusedError = QStringLiteral("org.lumora.Lumora.Error.Refused");
    static inline const QString invalidArgsError = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");

    // `host` is the object exported at `path` on `bus` with its adaptors, and
    // also the QDBusContext of the calls this adaptor answers; it owns this.
    TimerBusInterface(TimerManager& timer, QObject* host, QDBusConnection bus, QString path);

    QString state() const;
    QString mode() const;
    qlonglong remainingSeconds() const;
    qlonglong totalSeconds() const;
    QString display() const;

public Q_SLOTS:
    void Start(const QString& duration);
    void StartUntil(const QString& time);
    void Pause();
    void Resume();
    void Reset();
    void StopRinging();

private:
    void refuse(const QString& error, const QString& text);
    // Refuses, and says no, while a countdown runs or is paused.
    bool mayStart();
    void startLater();
    void scheduleAnnounce();
    void announce();
    QVariantMap snapshot() const;

    TimerManager& timer_;
    QDBusContext* context_;
    QDBusConnection bus_;
    QString path_;
    QVariantMap announced_;
    bool announceQueued_ = false;
    // An idle clock-time countdown's length shrinks as the clock moves.
    QTimer clockWatch_;
};
