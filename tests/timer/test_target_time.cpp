// Clock-time targets in a zone with daylight saving: next occurrence, the
// spring-forward gap and the fall-back repeat.
#include "timer/target_time.h"

#include <QDateTime>
#include <QTest>

class TestTargetTime : public QObject {
    Q_OBJECT
    const QTimeZone berlin{"Europe/Berlin"};

    qint64 at(int y, int mo, int d, int h, int mi, int s = 0, int offsetHours = -1) const
    {
        if (offsetHours >= 0)
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone(offsetHours * 3600))
                .toMSecsSinceEpoch();
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), berlin).toMSecsSinceEpoch();
    }

private Q_SLOTS:
    void resolve_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("plain summer day")
            << QDate(2026, 6, 1) << 10 << 30 << at(2026, 6, 1, 10, 30, 0, 2);
        QTest::newRow("spring gap gives the next existing time, 03:00")
            << QDate(2026, 3, 29) << 2 << 30 << at(2026, 3, 29, 3, 0, 0, 2);
        QTest::newRow("start of the gap") << QDate(2026, 3, 29) << 2 << 0 << at(2026, 3, 29, 3, 0, 0, 2);
        QTest::newRow("after the gap") << QDate(2026, 3, 29) << 3 << 0 << at(2026, 3, 29, 3, 0, 0, 2);
        QTest::newRow("fall-back repeat gives the first occurrence, +02:00")
            << QDate(2026, 10, 25) << 2 << 30 << at(2026, 10, 25, 2, 30, 0, 2);
        QTest::newRow("after the repeat") << QDate(2026, 10, 25) << 3 << 30 << at(2026, 10, 25, 3, 30, 0, 1);
    }
    void resolve()
    {
        QFETCH(QDate, date);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(qint64, expected);
        const auto got = target_time::resolve(date, hour, minute, berlin);
        QVERIFY(got.has_value());
        QCOMPARE(*got, expected);
    }

    void nextOccurrence_data()
    {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("later today") << at(2026, 6, 1, 10, 0) << 10 << 30 << at(2026, 6, 1, 10, 30);
        QTest::newRow("earlier today means tomorrow")
            << at(2026, 6, 1, 10, 0) << 9 << 0 << at(2026, 6, 2, 9, 0);
        QTest::newRow("now to the second means tomorrow")
            << at(2026, 6, 1, 10, 0) << 10 << 0 << at(2026, 6, 2, 10, 0);
        QTest::newRow("same minute, seconds past, means tomorrow")
            << at(2026, 6, 1, 10, 0, 42) << 10 << 0 << at(2026, 6, 2, 10, 0);
        QTest::newRow("across midnight")
            << at(2026, 6, 1, 23, 50) << 0 << 10 << at(2026, 6, 2, 0, 10);
        QTest::newRow("tomorrow is a short day: one calendar day, not 86400 s")
            << at(2026, 3, 28, 12, 0) << 11 << 0 << at(2026, 3, 29, 11, 0);
        QTest::newRow("tomorrow's time falls in the gap")
            << at(2026, 3, 28, 3, 0) << 2 << 30 << at(2026, 3, 29, 3, 0);
    }
    void nextOccurrence()
    {
        QFETCH(qint64, now);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(qint64, expected);
        const auto got = target_time::nextOccurrence(now, hour, minute, berlin);
        QVERIFY(got.has_value());
        QCOMPARE(*got, expected);
        QVERIFY(*got > now);
    }

    void invalidZoneGivesNothing()
    {
        QVERIFY(!target_time::nextOccurrence(0, 10, 0, QTimeZone("No/Such_Zone")).has_value());
    }
};

QTEST_GUILESS_MAIN(TestTargetTime)
#include "test_target_time.moc"
