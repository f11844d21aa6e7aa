// Text made ready on a second thread at start-up: the main thread measures
// text while it works, and every way of ending it returns.
#include "app/font_warm_up.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QTest>

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

    void everyEndingReturns_data()
    {
        QTest::addColumn<int>("told");
        QTest::newRow("never told to list") << 0;
        QTest::newRow("told once") << 1;
        QTest::newRow("told twice") << 2;
    }
    void everyEndingReturns()
    {
        QFETCH(int, told);
        QElapsedTimer clock;
        clock.start();
        {
            FontWarmUp fonts;
            for (int i = 0; i < told; ++i)
                fonts.listFonts();
            if (told == 2)
                fonts.wait();  // and once more on the way out
        }
        QVERIFY(clock.elapsed() < 10'000);
    }
};

QTEST_MAIN(TestFontWarmUp)
#include "test_font_warm_up.moc"
