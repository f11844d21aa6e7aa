// org.lumora.Lumora.Timer from another connection: the lengths and clock
// times it reads, the properties and their change signals, and refusals and
// bad calls that must change nothing. What each command does in each state
// is driven through the real command line (test_command_line).
#include "timer/duration_text.h"
#include "timer_bus_rig.h"

#include <QDBusArgument>

namespace {
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QVariantMap getAll(TimerBusRig& rig)
{
    const QDBusMessage reply = rig.call(QStringLiteral("GetAll"), {TimerBusInterface::interfaceName}, kProperties);
    return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().at(0));
}
}  // namespace

// Keeps every PropertiesChanged of the timer's interface.
class ChangeRecorder final : public QObject {
    Q_OBJECT
public:
    explicit ChangeRecorder(TimerBusRig& rig)
    {
        rig.client.connect(TimerBusRig::appId, TimerBusRig::path, kProperties, QStringLiteral("PropertiesChanged"),
                           this, SLOT(record(QString, QVariantMap, QStringList)));
    }
    QList<QVariantMap> changes;
public Q_SLOTS:
    void record(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == TimerBusInterface::interfaceName)
            changes.append(changed);
    }
};

class TestTimerBusInterface : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsesLengthsAndClockTimes()
    {
        // The text, its length in seconds and its clock time in minutes past
        // midnight; -1 where it is none.
        const struct { const char* text; qint64 seconds; int clock; } rows[] = {
            {" 1H 2m 3S ", 3723, -1}, {"25", 1500, -1}, {"1:30:00", 5400, -1}, {"20:00", 1200, 1200},
            {"9:05", 545, 545}, {"24:00", 1440, -1}, {"25:70", -1, -1}, {"1:60:00", -1, -1}, {"1:5", -1, -1},
            {"30m1h", -1, -1}, {"1.5h", -1, -1}, {"-5", -1, -1}, {"", -1, -1}, {"\u0662\u0665", -1, -1},
            {"99999999999999999999h", std::numeric_limits<qint64>::max(), -1}};
        for (const auto& [text, seconds, clock] : rows)
            QVERIFY2(duration_text::parseDuration(QString::fromUtf8(text)).value_or(-1) == seconds &&
                         duration_text::parseClockTime(QString::fromUtf8(text)).value_or(-1) == clock, text);
    }

    // What a status bar follows: a change signal carrying only what changed,
    // and none while nothing does.
    void propertiesAndTheirChanges()
    {
        TimerBusRig rig;
        ChangeRecorder recorder(rig);
        QVERIFY(rig.call(QStringLiteral("Start"), {QStringLiteral("25m")}).errorName().isEmpty());
        QTRY_VERIFY(!recorder.changes.isEmpty() && recorder.changes.last().value("State") == QVariant("running"));
        QVariantMap merged;
        for (const QVariantMap& c : std::as_const(recorder.changes))
            merged.insert(c);
        QCOMPARE(merged, (QVariantMap{{"State", "running"}, {"Mode", "custom"}, {"RemainingSeconds", 1500LL},
                                      {"TotalSeconds", 1500LL}, {"Display", "25:00"}}));

        // Ticks with the clock standing still change no read-out: nothing is sent.
        recorder.changes.clear();
        QTest::qWait(1000);
        QCOMPARE(recorder.changes.size(), 0);
        rig.clock.advance(1000);
        QTRY_COMPARE(recorder.changes.size(), 1);
        QCOMPARE(recorder.changes.last(), (QVariantMap{{"RemainingSeconds", 1499LL}, {"Display", "24:59"}}));
    }

    // Calls a script could make by mistake, or while paused: each is an
    // error, named where it is ours, in one short line, and the countdown and
    // its properties stay as they were.
    void badCallsChangeNothing()
    {
        const QString refused = TimerBusInterface::refusedError, invalid = TimerBusInterface::invalidArgsError;
        const struct { QString method; QVariantList arguments; QString error; } rows[] = {
            {"Start", {"5m"}, refused}, {"StartUntil", {"10:30"}, refused}, {"Pause", {}, refused},
            {"StopRinging", {}, refused}, {"Start", {"0"}, invalid}, {"Start", {"1000m"}, invalid},
            {"StartUntil", {"25:70"}, invalid}, {"StartUntil", {"25m"}, invalid},
            {"Start", {QString(1 << 20, QLatin1Char('9'))}, invalid}, {"Start", {QStringLiteral("5m\n\x01")}, invalid},
            // The signature turns these away (empty: any error will do), and
            // the properties are read-only.
            {"Start", {25}, {}},
            {"Set", {TimerBusInterface::interfaceName, "State", QVariant::fromValue(QDBusVariant(""))}, {}}};
        TimerBusRig rig;
        rig.enter(QStringLiteral("paused"));
        const QVariantMap before = getAll(rig);
        ChangeRecorder recorder(rig);
        for (const auto& row : rows) {
            const QDBusMessage reply = rig.call(row.method, row.arguments,
                                                row.method == "Set" ? kProperties : TimerBusInterface::interfaceName);
            const QString what = row.method + QLatin1Char(' ') + row.arguments.value(0).toString().left(20) +
                                 QStringLiteral(" -> ") + reply.errorName() + QLatin1Char(' ') + reply.errorMessage();
            const QString text = reply.errorMessage();
            QVERIFY2(reply.type() == QDBusMessage::ErrorMessage && (row.error.isEmpty() || reply.errorName() == row.error),
                     qPrintable(what));
            QVERIFY2(!text.isEmpty() && !text.contains(QLatin1Char('\n')) && text.size() < 200, qPrintable(what));
            QCOMPARE(getAll(rig), before);
        }
        QTest::qWait(200);
        QCOMPARE(recorder.changes.size(), 0);
        QCOMPARE(rig.timer.customMinutes.get(), 25);
    }
};

QTEST_GUILESS_MAIN(TestTimerBusInterface)
#include "test_timer_bus_interface.moc"
