#include "views/shaped_text.h"
#include "views/view_style.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {
QImage blank()
{
    QImage image(220, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
}  // namespace

// Buttons and the ring draw their texts from one shaping; what they show
// must be what QPainter::drawText shows, to the pixel, and the width they
// lay out with must be the one QFontMetrics reports.
class TestShapedText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsAsDrawTextDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<int>("align");
        const int leftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
        QTest::newRow("button label") << "Start" << 12 << int(QFont::Medium) << QRectF(20.5, 0, 60, 30) << leftMiddle;
        QTest::newRow("Chinese label") << "重新开始" << 12 << int(QFont::Medium) << QRectF(7.25, 3, 80, 24) << leftMiddle;
        QTest::newRow("card unit") << "min" << 11 << int(QFont::Normal) << QRectF(40, 0, 100, 48) << leftMiddle;
        QTest::newRow("read-out, centred") << "59:59" << 34 << int(QFont::Medium) << QRectF(55, 2, 110, 41)
                                           << int(Qt::AlignCenter);
        QTest::newRow("right, bottom") << "1:00:00" << 14 << int(QFont::Normal) << QRectF(10, 5, 180, 40)
                                       << int(Qt::AlignRight | Qt::AlignBottom);
        QTest::newRow("top left") << "Paused" << 10 << int(QFont::Normal) << QRectF(3, 4, 90, 30)
                                  << int(Qt::AlignLeft | Qt::AlignTop);
        QTest::newRow("spills out, clipped") << "123:45:67 and more" << 34 << int(QFont::Medium)
                                             << QRectF(30, 10, 110, 20) << int(Qt::AlignCenter);
        QTest::newRow("empty") << "" << 12 << int(QFont::Normal) << QRectF(0, 0, 50, 20) << leftMiddle;
    }

    void drawsAsDrawTextDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(int, weight);
        QFETCH(QRectF, box);
        QFETCH(int, align);
        const QFont font = viewstyle::font(pixelSize, QFont::Weight(weight));

        QImage expected = blank();
        {
            QPainter p(&expected);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::black);
            p.setFont(font);
            p.drawText(box, align, text);
        }
        QImage actual = blank();
        ShapedText shaped;
        shaped.set(text, font, &actual);
        {
            QPainter p(&actual);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::black);
            shaped.draw(p, box, Qt::Alignment(align));
        }
        QCOMPARE(shaped.width(), QFontMetrics(font, &actual).horizontalAdvance(text));
        QVERIFY2(actual == expected, "drawn differently from QPainter::drawText");
    }

    void shapesAgainWhenTextOrFontChanges()
    {
        QImage device = blank();
        const QFont small = viewstyle::font(12);
        const QFont large = viewstyle::font(24);
        ShapedText shaped;
        shaped.set(QStringLiteral("10"), small, &device);
        const int ten = shaped.width();
        shaped.set(QStringLiteral("10:00"), small, &device);
        QCOMPARE(shaped.width(), QFontMetrics(small, &device).horizontalAdvance(QStringLiteral("10:00")));
        QVERIFY(shaped.width() > ten);
        shaped.set(QStringLiteral("10:00"), large, &device);
        QCOMPARE(shaped.width(), QFontMetrics(large, &device).horizontalAdvance(QStringLiteral("10:00")));
        QCOMPARE(shaped.text(), QStringLiteral("10:00"));
    }
};

QTEST_MAIN(TestShapedText)
#include "test_shaped_text.moc"
