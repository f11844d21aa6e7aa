// Text made ready on a second thread at start-up: the main thread measures
// text while it works, and every way of ending it returns.
#include "app/font_warm_up.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QTest>
#include <atomic>
#include <pthread.h>
#include <sched.h>

class TestFontWarmUp : public QObject {
    Q_OBJECT

    static QList<int> measure()
    {
        QList<int> widths;
        for (int size : {11, 13, 15, 40}) {
            QFont font;
            font.setPixelSize(size);
            widths.append(QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00 重置 Reset")));
        }
        return widths;
    }

private Q_SLOTS:
    // First, while nothing in this process has touched a font yet.
    void mainThreadMeasuresWhileTheListIsMade()
    {
        FontWarmUp fonts;
        fonts.listFonts();
        const QList<int> during = measure();
        fonts.wait();
        QVERIFY(!QFontDatabase::families().isEmpty());
        QCOMPARE(during, measure());
        for (int w : during)
            QVERIFY(w > 0);
    }

    // The warm-up is worth something only beside the main thread, never
    // taking turns with it on one core; a process held to one core still
    // gets its warm-up, there.
    void threadStartsOffTheCallersCore_data()
    {
        QTest::addColumn<int>("allowed");  // cores the process may use; 0: as it is
        QTest::newRow("as the process is") << 0;
        QTest::newRow("held to one core") << 1;
        QTest::newRow("held to two cores") << 2;
    }
    void threadStartsOffTheCallersCore()
    {
        QFETCH(int, allowed);
        cpu_set_t before;
        QCOMPARE(sched_getaffinity(0, sizeof before, &before), 0);
        if (allowed > CPU_COUNT(&before))
            QSKIP("this machine has fewer cores");
        cpu_set_t held = before;
        if (allowed > 0) {
            // The core this thread is on, and the next ones it may use.
            CPU_ZERO(&held);
            const int here = sched_getcpu();
            CPU_SET(here, &held);
            for (int c = 0; CPU_COUNT(&held) < allowed; ++c)
                if (c != here && CPU_ISSET(c, &before))
                    CPU_SET(c, &held);
            QCOMPARE(sched_setaffinity(0, sizeof held, &held), 0);
        }
        std::atomic<bool> go = false;
        std::atomic<int> ranOn = -1;
        cpu_set_t threadCores;
        CPU_ZERO(&threadCores);
        std::thread t([&] {
            while (!go)
                std::this_thread::yield();
            ranOn = sched_getcpu();
            pthread_getaffinity_np(pthread_self(), sizeof threadCores, &threadCores);
        });
        const int excluded = FontWarmUp::moveOffCallersCore(t);
        go = true;
        t.join();
        sched_setaffinity(0, sizeof before, &before);

        QVERIFY(ranOn >= 0);
        QVERIFY(CPU_ISSET(ranOn, &held));
        if (CPU_COUNT(&held) < 2) {
            QCOMPARE(excluded, -1);
            QVERIFY(CPU_EQUAL(&threadCores, &held));
            return;
        }
        QVERIFY(excluded >= 0);
        QVERIFY(ranOn != excluded);
        cpu_set_t others = held;
        CPU_CLR(excluded, &others);
        QVERIFY(CPU_EQUAL(&threadCores, &others));
    }

    // Never told to list, told once, told twice and waited for: each returns
    // (a hang is the program's time-out).
    void everyEndingReturns()
    {
        for (int told = 0; told <= 2; ++told) {
            FontWarmUp fonts;
            for (int i = 0; i < told; ++i)
                fonts.listFonts();
            if (told == 2)
                fonts.wait();  // and once more on the way out
        }
    }
};

QTEST_MAIN(TestFontWarmUp)
#include "test_font_warm_up.moc"
