#include "app/timer_bus_interface.h"

#include "timer/duration_text.h"
#include "timer/timer_manager.h"

#include <QDBusContext>
#include <QDBusMessage>

namespace {
constexpr qint64 kLongest = 999 * 60 + 59;
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The caller's text as an error message may show it: short, one line.
QString quoted(const QString& text)
{
    QString out;
    for (const QChar c : text.left(40))
        out.append(c.isPrint() ? c : QChar(u'?'));
    return QLatin1Char('"') + out + (text.size() > 40 ? QStringLiteral("...\"") : QStringLiteral("\""));
}
}  // namespace

TimerBusInterface::TimerBusInterface(TimerManager& timer, QObject* host, QDBusConnection bus, QString path)
    : QDBusAbstractAdaptor(host),
      timer_(timer),
      context_(dynamic_cast<QDBusContext*>(host)),
      bus_(std::move(bus)),
      path_(std::move(path))
{
    setAutoRelaySignals(false);
    announced_ = snapshot();
    // objectWillChange comes before a value is stored: read after it.
    connect(&timer_, &TimerManager::objectWillChange, this, &TimerBusInterface::scheduleAnnounce);
    clockWatch_.setInterval(1000);
    connect(&clockWatch_, &QTimer::timeout, this, &TimerBusInterface::announce);
    announce();
}

QString TimerBusInterface::state() const
{
    if (timer_.isRinging)
        return QStringLiteral("ringing");
    if (timer_.isPaused)
        return QStringLiteral("paused");
    if (timer_.isRunning)
        return QStringLiteral("running");
    return QStringLiteral("idle");
}

QString TimerBusInterface::mode() const
{
    return rawValue(timer_.mode.get());
}

qlonglong TimerBusInterface::remainingSeconds() const
{
    return timer_.displaySeconds();
}

qlonglong TimerBusInterface::totalSeconds() const
{
    return timer_.totalSeconds;
}

QString TimerBusInterface::display() const
{
    return timer_.formattedDisplay();
}

QVariantMap TimerBusInterface::snapshot() const
{
    return {{QStringLiteral("State"), state()},
            {QStringLiteral("Mode"), mode()},
            {QStringLiteral("RemainingSeconds"), remainingSeconds()},
            {QStringLiteral("TotalSeconds"), totalSeconds()},
            {QStringLiteral("Display"), display()}};
}

void TimerBusInterface::scheduleAnnounce()
{
    if (announceQueued_)
        return;
    announceQueued_ = true;
    QMetaObject::invokeMethod(this, &TimerBusInterface::announce, Qt::QueuedConnection);
}

void TimerBusInterface::announce()
{
    announceQueued_ = false;
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    announced_ = now;
    const bool idleTarget = state() == QLatin1String("idle") && timer_.mode == TimerMode::targetTime;
    if (idleTarget != clockWatch_.isActive())
        idleTarget ? clockWatch_.start() : clockWatch_.stop();
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(path_, kPropertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    bus_.send(signal);
}

void TimerBusInterface::refuse(const QString& error, const QString& text)
{
    if (context_ && context_->calledFromDBus())
        context_->sendErrorReply(error, text);
}

bool TimerBusInterface::mayStart()
{
    if (timer_.isPaused)
        refuse(refusedError, QStringLiteral("A countdown is paused; resume or reset it first."));
    else if (timer_.isRunning)
        refuse(refusedError, QStringLiteral("A countdown is running; pause or reset it first."));
    return !timer_.isRunning;
}

void TimerBusInterface::Start(const QString& duration)
{
    // Nothing longer is a length of at most 999 minutes.
    const std::optional<qint64> seconds = duration_text::parseDuration(duration.left(64));
    if (!seconds)
        refuse(invalidArgsError,
               QStringLiteral("%1 is not a length; try 25m, 90s, 1h30m, 1:30:00 or 25 (minutes).").arg(quoted(duration)));
    else if (*seconds < 1)
        refuse(invalidArgsError, QStringLiteral("A countdown lasts at least one second."));
    else if (*seconds > kLongest)
        refuse(invalidArgsError, QStringLiteral("A countdown lasts at most 999 min 59 s."));
    else if (mayStart()) {
        timer_.mode = TimerMode::custom;
        timer_.customMinutes = *seconds / 60;
        timer_.customSeconds = *seconds % 60;
        startLater();
    }
}

void TimerBusInterface::StartUntil(const QString& time)
{
    const std::optional<int> minutes = duration_text::parseClockTime(time.left(64));
    if (!minutes)
        refuse(invalidArgsError,
               QStringLiteral("%1 is not a clock time; use HH:MM, from 00:00 to 23:59.").arg(quoted(time)));
    else if (mayStart()) {
        timer_.mode = TimerMode::targetTime;
        timer_.targetHour = *minutes / 60;
        timer_.targetMinute = *minutes % 60;
        startLater();
    }
}

void TimerBusInterface::startLater()
{
    // Starting while it rings ends the ringing first, as the restart button does.
    if (timer_.isRinging)
        timer_.stopRinging();
    // The window answers a change of mode with a reset on the next turn; the
    // start comes after that, and the caller's answer after the start.
    const bool fromBus = context_ && context_->calledFromDBus();
    QDBusMessage call;
    if (fromBus) {
        context_->setDelayedReply(true);
        call = context_->message();
    }
    QMetaObject::invokeMethod(
        this,
        [this, call, fromBus] {
            const bool first = !timer_.isRunning;
            if (first)
                timer_.start();
            if (!fromBus)
                return;
            if (!first)
                bus_.send(call.createErrorReply(refusedError, QStringLiteral("Another countdown started first.")));
            else if (!timer_.isRunning)
                bus_.send(call.createErrorReply(refusedError, QStringLiteral("That time cannot be reached.")));
            else
                bus_.send(call.createReply());
        },
        Qt::QueuedConnection);
}

void TimerBusInterface::Pause()
{
    if (timer_.isPaused)
        refuse(refusedError, QStringLiteral("The countdown is already paused."));
    else if (!timer_.isRunning)
        refuse(refusedError, QStringLiteral("No countdown is running."));
    else
        timer_.pause();
}

void TimerBusInterface::Resume()
{
    if (!timer_.isPaused)
        refuse(refusedError, QStringLiteral("No countdown is paused."));
    else
        timer_.start();
}

void TimerBusInterface::Reset()
{
    timer_.reset();
}

void TimerBusInterface::StopRinging()
{
    if (!timer_.isRinging) {
        refuse(refusedError, QStringLiteral("Nothing is ringing."));
        return;
    }
    // As the overlay's Stop button: silence, then back to idle.
    timer_.stopRinging();
    timer_.reset();
}
