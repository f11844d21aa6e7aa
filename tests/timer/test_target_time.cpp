// Clock-time targets in a zone with daylight saving: next occurrence, the
// spring-forward gap and the fall-back repeat.
#include "timer/target_time.h"

#include <QDateTime>
#include <QTest>

class TestTargetTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Instants as ISO text with their offset: Berlin is +01:00 in winter,
    // +02:00 in summer; 2026 springs forward on 29 March, falls back on 25 October.
    void nextOccurrence_data()
    {
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("expected");
        QTest::newRow("later today") << "2026-06-01T10:00:00+02:00" << 10 << 30 << "2026-06-01T10:30:00+02:00";
        QTest::newRow("earlier today means tomorrow")
            << "2026-06-01T10:00:00+02:00" << 9 << 0 << "2026-06-02T09:00:00+02:00";
        QTest::newRow("now to the second means tomorrow")
            << "2026-06-01T10:00:00+02:00" << 10 << 0 << "2026-06-02T10:00:00+02:00";
        QTest::newRow("same minute, seconds past, means tomorrow")
            << "2026-06-01T10:00:42+02:00" << 10 << 0 << "2026-06-02T10:00:00+02:00";
        QTest::newRow("across midnight") << "2026-06-01T23:50:00+02:00" << 0 << 10 << "2026-06-02T00:10:00+02:00";
        QTest::newRow("in the spring gap: the next existing time")
            << "2026-03-29T00:00:00+01:00" << 2 << 30 << "2026-03-29T03:00:00+02:00";
        QTest::newRow("start of the gap") << "2026-03-29T00:00:00+01:00" << 2 << 0 << "2026-03-29T03:00:00+02:00";
        QTest::newRow("after the gap") << "2026-03-29T00:00:00+01:00" << 3 << 0 << "2026-03-29T03:00:00+02:00";
        QTest::newRow("tomorrow is a short day: one calendar day, not 86400 s")
            << "2026-03-28T12:00:00+01:00" << 11 << 0 << "2026-03-29T11:00:00+02:00";
        QTest::newRow("tomorrow's time falls in the gap")
            << "2026-03-28T03:00:00+01:00" << 2 << 30 << "2026-03-29T03:00:00+02:00";
        QTest::newRow("fall-back repeat: the first occurrence")
            << "2026-10-25T00:00:00+02:00" << 2 << 30 << "2026-10-25T02:30:00+02:00";
        QTest::newRow("after the repeat") << "2026-10-25T00:00:00+02:00" << 3 << 30 << "2026-10-25T03:30:00+01:00";
    }
    void nextOccurrence()
    {
        QFETCH(QString, now);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, expected);
        const QTimeZone berlin("Europe/Berlin");
        const qint64 from = QDateTime::fromString(now, Qt::ISODate).toMSecsSinceEpoch();
        const auto got = target_time::nextOccurrence(from, hour, minute, berlin);
        QVERIFY(got.has_value());
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(*got, berlin).toString(Qt::ISODate), expected);
    }

    void invalidZoneGivesNothing()
    {
        QVERIFY(!target_time::nextOccurrence(0, 10, 0, QTimeZone("No/Such_Zone")).has_value());
    }
};

QTEST_GUILESS_MAIN(TestTargetTime)
#include "test_target_time.moc"
