// org.lumora.Lumora.Timer from another connection: the lengths and clock
// times it reads, the properties and their change signals, and refusals and
// bad calls that must change nothing. What each command does in each state
// is driven through the real command line (test_command_line).
#include "timer/duration_text.h"
#include "timer_bus_rig.h"

#include <QDBusArgument>

namespace {
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kRefused = TimerBusInterface::refusedError;
const QString kInvalid = TimerBusInterface::invalidArgsError;
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

    static QVariantMap getAll(TimerBusRig& rig)
    {
        const QDBusMessage reply = rig.call(kProperties, QStringLiteral("GetAll"), {TimerBusInterface::interfaceName});
        return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().at(0));
    }

private Q_SLOTS:
    void parsesLengthsAndClockTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("seconds");  // -1: no length
        QTest::addColumn<int>("clock");       // minutes past midnight, -1: no clock time
        QTest::newRow("spaced, capital") << " 1H 2m 3S " << qint64(3723) << -1;
        QTest::newRow("plain minutes") << "25" << qint64(1500) << -1;
        QTest::newRow("h:mm:ss") << "1:30:00" << qint64(5400) << -1;
        QTest::newRow("m:ss, also a clock time") << "20:00" << qint64(1200) << 1200;
        QTest::newRow("m:ss, no clock time") << "25:00" << qint64(1500) << -1;
        QTest::newRow("clock 9:05") << "9:05" << qint64(545) << 545;
        QTest::newRow("25:70") << "25:70" << qint64(-1) << -1;
        QTest::newRow("24:00") << "24:00" << qint64(1440) << -1;
        QTest::newRow("1:60:00") << "1:60:00" << qint64(-1) << -1;
        QTest::newRow("one-digit seconds") << "1:5" << qint64(-1) << -1;
        QTest::newRow("units out of order") << "30m1h" << qint64(-1) << -1;
        QTest::newRow("fraction") << "1.5h" << qint64(-1) << -1;
        QTest::newRow("negative") << "-5" << qint64(-1) << -1;
        QTest::newRow("empty") << "" << qint64(-1) << -1;
        QTest::newRow("other digits") << QStringLiteral("\u0662\u0665") << qint64(-1) << -1;
        QTest::newRow("huge saturates") << "99999999999999999999h" << std::numeric_limits<qint64>::max() << -1;
    }
    void parsesLengthsAndClockTimes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, seconds);
        QFETCH(int, clock);
        QCOMPARE(duration_text::parseDuration(text).value_or(-1), seconds);
        QCOMPARE(duration_text::parseClockTime(text).value_or(-1), clock);
    }

    // The interface as a caller sees it: its introspection, the properties
    // and their change signals.
    void propertiesAndTheirChanges()
    {
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        const QString xml = rig.call(QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"))
                                .arguments().value(0).toString();
        for (const char* pattern :
             {R"(<interface name="org\.lumora\.Lumora\.Timer">)", R"(<method name="Pause"/?>)",
              R"(<method name="Resume"/?>)", R"(<method name="Reset"/?>)", R"(<method name="StopRinging"/?>)",
              R"(<method name="Start">\s*<arg name="duration" type="s" direction="in"/>)",
              R"(<method name="StartUntil">\s*<arg name="time" type="s" direction="in"/>)",
              R"(<property name="State" type="s" access="read"/>)", R"(<property name="Mode" type="s" access="read"/>)",
              R"(<property name="RemainingSeconds" type="x" access="read"/>)",
              R"(<property name="TotalSeconds" type="x" access="read"/>)",
              R"(<property name="Display" type="s" access="read"/>)"})
            QVERIFY2(xml.contains(QRegularExpression(QString::fromLatin1(pattern))), pattern);

        ChangeRecorder recorder(rig);
        const auto props = [](const char* state, const char* mode, qlonglong remaining, qlonglong total,
                              const char* display) {
            return QVariantMap{{"State", state}, {"Mode", mode}, {"RemainingSeconds", remaining},
                               {"TotalSeconds", total}, {"Display", display}};
        };
        QCOMPARE(getAll(rig), props("idle", "preset", 600, 0, "10:00"));  // the idle read-out
        QVERIFY(rig.callTimer(QStringLiteral("Start"), {QStringLiteral("25m")}).errorName().isEmpty());
        const auto merged = [&recorder] {
            QVariantMap out;
            for (const QVariantMap& c : std::as_const(recorder.changes))
                out.insert(c);
            return out;
        };
        QTRY_COMPARE(merged().value("State"), QVariant("running"));
        QCOMPARE(merged(), props("running", "custom", 1500, 1500, "25:00"));

        // A second of ticks with the clock standing still: the read-out does
        // not change, so nothing is announced.
        recorder.changes.clear();
        QTest::qWait(1000);
        QCOMPARE(recorder.changes.size(), 0);
        for (int second = 1; second <= 3; ++second) {
            rig.clock.advance(1000);
            QTRY_COMPARE(recorder.changes.size(), second);
            QCOMPARE(recorder.changes.last(), (QVariantMap{{"RemainingSeconds", qlonglong(1500 - second)},
                                                           {"Display", QStringLiteral("24:%1").arg(60 - second)}}));
        }
        QVERIFY(rig.callTimer(QStringLiteral("Pause")).errorName().isEmpty());
        QTRY_COMPARE(recorder.changes.size(), 4);
        QCOMPARE(recorder.changes.last(), (QVariantMap{{"State", "paused"}}));
        QCOMPARE(getAll(rig), props("paused", "custom", 1497, 1500, "24:57"));

        // An idle clock-time countdown shrinks as the clock moves.
        rig.timer.reset();
        rig.timer.mode = TimerMode::targetTime;
        rig.timer.targetHour = 10;
        rig.timer.targetMinute = 30;
        QTRY_COMPARE(getAll(rig).value("Mode"), QVariant("targetTime"));
        const qlonglong left = getAll(rig).value("RemainingSeconds").toLongLong();
        QVERIFY(left > 29 * 60 && left <= 30 * 60);
        recorder.changes.clear();
        rig.clock.advance(60'000);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.changes.isEmpty(), 3000);
        QCOMPARE(recorder.changes.last().value("RemainingSeconds"), QVariant(left - 60));
    }

    // Calls a script or another program could make by mistake, or while
    // paused: each is an error, named where it is ours, and the countdown and
    // the properties stay as they were.
    void badCallsChangeNothing_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QString>("error");  // empty: any error
        const QString timer = TimerBusInterface::interfaceName;
        QTest::newRow("start while paused") << timer << "Start" << QVariantList{"5m"} << kRefused;
        QTest::newRow("until while paused") << timer << "StartUntil" << QVariantList{"10:30"} << kRefused;
        QTest::newRow("pause while paused") << timer << "Pause" << QVariantList{} << kRefused;
        QTest::newRow("stop while paused") << timer << "StopRinging" << QVariantList{} << kRefused;
        QTest::newRow("zero length") << timer << "Start" << QVariantList{"0"} << kInvalid;
        QTest::newRow("too long") << timer << "Start" << QVariantList{"1000m"} << kInvalid;
        QTest::newRow("until 25:70") << timer << "StartUntil" << QVariantList{"25:70"} << kInvalid;
        QTest::newRow("until a length") << timer << "StartUntil" << QVariantList{"25m"} << kInvalid;
        QTest::newRow("megabyte of digits") << timer << "Start" << QVariantList{QString(1 << 20, QLatin1Char('9'))}
                                            << kInvalid;
        QTest::newRow("control characters") << timer << "Start" << QVariantList{QStringLiteral("5m\n\x01")} << kInvalid;
        // Arguments of the wrong type or number are all turned away by the signature.
        QTest::newRow("number for a length") << timer << "Start" << QVariantList{25} << "";
        QTest::newRow("no such method") << timer << "Explode" << QVariantList{} << "";
        QTest::newRow("write a property") << kProperties << "Set"
                                          << QVariantList{timer, "State", QVariant::fromValue(QDBusVariant("idle"))}
                                          << "";
        QTest::newRow("no such property") << kProperties << "Get" << QVariantList{timer, "Volume"} << "";
    }
    void badCallsChangeNothing()
    {
        QFETCH(QString, interface);
        QFETCH(QString, method);
        QFETCH(QVariantList, arguments);
        QFETCH(QString, error);
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        rig.enter(QStringLiteral("paused"));
        const QVariantMap before = getAll(rig);
        ChangeRecorder recorder(rig);
        const QDBusMessage reply = rig.call(interface, method, arguments);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        if (!error.isEmpty())
            QCOMPARE(reply.errorName(), error);
        QVERIFY(!reply.errorMessage().isEmpty());
        QVERIFY(!reply.errorMessage().contains(QLatin1Char('\n')));
        QVERIFY(reply.errorMessage().size() < 200);
        QCOMPARE(getAll(rig), before);
        QTest::qWait(200);
        QCOMPARE(recorder.changes.size(), 0);
        QCOMPARE(rig.timer.customMinutes.get(), 25);
    }
};

QTEST_GUILESS_MAIN(TestTimerBusInterface)
#include "test_timer_bus_interface.moc"
