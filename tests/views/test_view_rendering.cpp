#include "view_rig.h"

#include "views/flat_button.h"
#include "views/number_field.h"
#include "views/progress_ring.h"
#include "views/shaped_text.h"
#include "views/view_style.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>

namespace {
// How many runs of inked columns `area` holds, each apart from the next
// by a blank column: one for each glyph of a read-out.
int inkRuns(const QImage& image, const QRect& area, int ground)
{
    int runs = 0;
    bool was = false;
    for (int x = area.left(); x <= area.right(); ++x) {
        bool ink = false;
        for (int y = area.top(); y <= area.bottom() && !ink; ++y)
            ink = std::abs(image.pixelColor(x, y).lightness() - ground) > 60;
        runs += ink && !was;
        was = ink;
    }
    return runs;
}
}  // namespace

class TestViewRendering : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every state of the window in both themes and both languages, saved
    // for review and checked where a fault would show.
    void states_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<AppLanguage>("language");
        const std::pair<const char*, const char*> states[] = {
            {"idle-preset", ""}, {"idle-custom", "mode=custom custom=12:30"}, {"idle-target", "mode=targetTime target=11:45"},
            {"idle-long-values", "mode=custom custom=1500:1234567890123456789"},
            {"idle-long-target", "mode=targetTime target=123456:7"}, {"running-preset", "preset.1 control.primary +20000"},
            {"running-target", "mode=targetTime target=10:3 control.primary +60000"},
            {"paused-custom", "mode=custom custom=2:0 control.primary +90000 control.pause"},
            {"ringing-stop", "restart=0 preset.1 control.primary +61000"},
            {"ringing-restart", "restart=1 preset.1 control.primary +61000"}};
        for (const auto& [name, steps] : states)
            for (bool dark : {false, true})
                for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese})
                    QTest::addRow("%s-%s-%s", name, dark ? "dark" : "light", qPrintable(rawValue(lang)))
                        << QString::fromLatin1(steps) << dark << lang;
    }
    void states()
    {
        QFETCH(QString, steps);
        QFETCH(bool, dark);
        QFETCH(AppLanguage, language);
        QApplication::setPalette(dark ? darkPalette() : lightPalette());
        ViewRig r(language);
        r.play(steps);
        // Let the overlay's entrance and the arc's glide finish.
        QTRY_VERIFY(!r.timer.isRinging || r.view->ringingOverlay()->stopButton()->isVisible());
        QTRY_COMPARE(r.view->ring()->drawnProgress(), r.view->ring()->state().progress);
        const QImage image = r.view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString file = QStringLiteral("%1/view-%2.png").arg(testOutputDir(), QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(image.save(file));

        QCOMPARE(image.pixelColor(180, 2).lightness() < 128, dark);
        // Numbers are drawn whole in their boxes.
        for (NumberField* f : r.view->findChildren<NumberField*>())
            QVERIFY2(!f->isVisible() || f->showsWholeText(), qPrintable(f->text()));
        const double progress = r.timer.progress();
        if (r.timer.isRinging) {
            QVERIFY(r.view->ring()->ringGradientColors().first().red() > 200);
            return;
        }
        // The read-out is drawn whole, shrunk to fit when it is long: a
        // run of ink for each character.
        const QPointF centre = QPointF(r.view->ring()->mapTo(r.view.get(), QPoint(0, 0))) + ProgressRing::frame().center();
        const QPoint c = centre.toPoint();
        const int ground = image.pixelColor(c - QPoint(66, 0)).lightness();
        QCOMPARE(inkRuns(image, QRect(c.x() - 62, c.y() - 26, 125, 36), ground), int(r.timer.formattedDisplay().size()));
        // The arc is coloured up to the progress made and no further.
        const auto arc = [&](double fraction) {
            const double a = fraction * 2 * M_PI, radius = ProgressRing::side / 2.0;
            return image.pixelColor((centre + QPointF(radius * std::sin(a), -radius * std::cos(a))).toPoint()).hsvSaturationF() > 0.35f;
        };
        for (const double f : {0.25, 0.5, 0.75})
            QVERIFY2(arc(f * progress) == (progress > 0) && !arc(progress + f * (1 - progress)), qPrintable(file));
    }

    // A new second glides the arc only when the step can be seen.
    void ring()
    {
        ViewRig r;
        ProgressRing* ring = r.view->ring();
        for (const auto& [total, glides] : {std::pair{qint64(60), true}, std::pair{qint64(3600), false}}) {
            ring->setState({0.0, total, QStringLiteral("a"), QStringLiteral("s"), false, true, false});
            const double next = 1.0 / double(total);
            ring->setState({next, total - 1, QStringLiteral("b"), QStringLiteral("s"), false, true, false});
            QCOMPARE(ring->drawnProgress() < next, glides);
            QTRY_COMPARE(ring->drawnProgress(), next);
        }
    }

    // Buttons and the ring draw their texts from one shaping; what they show
    // must be what QPainter::drawText shows, to the pixel, and the width they
    // lay out with must be the one QFontMetrics reports. One shaping serves
    // every row, so each row also checks that a new text or font shapes again.
    void shapedTextDrawsAsDrawTextDoes()
    {
        const int leftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
        const std::tuple<QString, int, QRectF, int> rows[] = {
            {QStringLiteral("Start"), 12, QRectF(20.5, 0, 60, 30), leftMiddle},
            {QStringLiteral("重新开始"), 12, QRectF(7.25, 3, 80, 24), leftMiddle},
            {QStringLiteral("59:59"), 34, QRectF(55, 2, 110, 41), Qt::AlignCenter},
            {QStringLiteral("59:59"), 14, QRectF(55, 2, 110, 41), Qt::AlignCenter},
            {QStringLiteral("1:00:00"), 14, QRectF(10, 5, 180, 40), Qt::AlignRight | Qt::AlignBottom},
            {QStringLiteral("123:45:67 and more"), 34, QRectF(30, 10, 110, 20), Qt::AlignCenter},  // clipped
            {QString(), 12, QRectF(0, 0, 50, 20), leftMiddle}};
        ShapedText shaped;
        QImage expected(220, 48, QImage::Format_ARGB32_Premultiplied);
        QImage actual(expected.size(), expected.format());
        for (const auto& [text, pixelSize, box, align] : rows) {
            const QFont font = viewstyle::font(pixelSize, QFont::Medium);
            for (QImage* image : {&expected, &actual}) {
                image->fill(Qt::transparent);
                QPainter p(image);
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(Qt::black);
                p.setFont(font);
                if (image == &expected) {
                    p.drawText(box, align, text);
                } else {
                    shaped.set(text, font, image);
                    shaped.draw(p, box, Qt::Alignment(align));
                }
            }
            QCOMPARE(shaped.text(), text);
            QCOMPARE(shaped.width(), QFontMetrics(font, &actual).horizontalAdvance(text));
            QVERIFY2(actual == expected, qPrintable(text));
        }
    }
};

QTEST_MAIN(TestViewRendering)
#include "test_view_rendering.moc"
