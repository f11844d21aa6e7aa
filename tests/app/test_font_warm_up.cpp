// Text made ready on a second thread at start-up: the main thread measures
// text while it works, and every way of ending it returns.
#include "app/font_warm_up.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

class TestFontWarmUp : public QObject {
    Q_OBJECT

    static QList<int> measure()
    {
        QList<int> widths;
        for (int size : {8, 10, 12, 30})
            widths << QFontMetrics(QFont(QGuiApplication::font().family(), size))
                          .horizontalAdvance(QStringLiteral("00:00 重置 Reset"));
        return widths;
    }

private Q_SLOTS:
    // First, while nothing in this process has touched a font yet. Then
    // never told to list, told once and told twice: each returns (a hang is
    // the program's time-out), as does waiting twice.
    void mainThreadMeasuresWhileTheListIsMade()
    {
        FontWarmUp fonts;
        fonts.listFonts();
        const QList<int> during = measure();
        fonts.wait();
        QCOMPARE(during, measure());
        QVERIFY(!during.contains(0));
        { FontWarmUp never; }
        { FontWarmUp once; once.listFonts(); }
        { FontWarmUp twice; twice.listFonts(); twice.listFonts(); }
    }
};

QTEST_MAIN(TestFontWarmUp)
#include "test_font_warm_up.moc"
