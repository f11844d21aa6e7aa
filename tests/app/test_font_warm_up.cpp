// Text made ready on a second thread at start-up: the main thread measures
// text while it works, and every way of ending it returns.
#include "app/font_warm_up.h"

#include <QApplication>
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
    // First, while nothing in this process has touched a font yet. Then
    // never told to list, told once, told twice and waited for: each returns
    // (a hang is the program's time-out).
    void mainThreadMeasuresWhileTheListIsMade()
    {
        FontWarmUp fonts;
        fonts.listFonts();
        const QList<int> during = measure();
        fonts.wait();
        QCOMPARE(during, measure());
        QVERIFY(!during.contains(0));
        for (int told = 0; told <= 2; ++told) {
            FontWarmUp more;
            for (int i = 0; i < told; ++i)
                more.listFonts();
            if (told == 2)
                more.wait();  // and once more on the way out
        }
    }

    // The warm-up is worth something only beside the main thread, never
    // taking turns with it on one core; a process held to one core still
    // gets its warm-up, there.
    void threadStartsOffTheCallersCore()
    {
        cpu_set_t before;
        QCOMPARE(sched_getaffinity(0, sizeof before, &before), 0);
        for (const bool oneCore : {false, true}) {
            cpu_set_t held = before;
            if (oneCore) {
                CPU_ZERO(&held);
                CPU_SET(sched_getcpu(), &held);
                QCOMPARE(sched_setaffinity(0, sizeof held, &held), 0);
            }
            std::atomic<bool> go = false;
            std::atomic<int> ranOn = -1;
            cpu_set_t threadCores;
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

            QVERIFY(ranOn >= 0 && CPU_ISSET(ranOn, &held));
            if (CPU_COUNT(&held) < 2) {
                QCOMPARE(excluded, -1);
            } else {
                QVERIFY(excluded >= 0 && ranOn != excluded);
                CPU_CLR(excluded, &held);
            }
            QVERIFY(CPU_EQUAL(&threadCores, &held));
        }
    }
};

QTEST_MAIN(TestFontWarmUp)
#include "test_font_warm_up.moc"
