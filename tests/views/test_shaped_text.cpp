#include "views/shaped_text.h"
#include "views/view_style.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

// Buttons and the ring draw their texts from one shaping; what they show
// must be what QPainter::drawText shows, to the pixel, and the width they
// lay out with must be the one QFontMetrics reports. One shaping serves
// every row, so each row also checks that a new text or font shapes again.
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
        QTest::newRow("same text, smaller") << "59:59" << 14 << int(QFont::Medium) << QRectF(55, 2, 110, 41)
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
        QImage expected(actual_.size(), actual_.format());
        for (QImage* image : {&expected, &actual_}) {
            image->fill(Qt::transparent);
            QPainter p(image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::black);
            p.setFont(font);
            if (image == &expected) {
                p.drawText(box, align, text);
            } else {
                shaped_.set(text, font, image);
                shaped_.draw(p, box, Qt::Alignment(align));
            }
        }
        QCOMPARE(shaped_.text(), text);
        QCOMPARE(shaped_.width(), QFontMetrics(font, &actual_).horizontalAdvance(text));
        QVERIFY2(actual_ == expected, "drawn differently from QPainter::drawText");
    }

private:
    QImage actual_{220, 48, QImage::Format_ARGB32_Premultiplied};
    ShapedText shaped_;
};

QTEST_MAIN(TestShapedText)
#include "test_shaped_text.moc"
