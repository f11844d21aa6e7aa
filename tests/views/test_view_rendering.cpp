#include "view_rig.h"

#include "views/flat_button.h"
#include "views/progress_ring.h"
#include "views/number_field.h"
#include "views/preset_grid.h"
#include "views/ringing_overlay.h"
#include "views/symbol.h"
#include "views/target_time_input.h"

#include <QImage>
#include <QLabel>
#include <QSet>
#include <cmath>

using Setup = std::function<void(ViewRig&)>;
Q_DECLARE_METATYPE(Setup)

namespace {
QPointF ringCentre(const ContentView& view)
{
    return QPointF(view.ring()->mapTo(&view, QPoint(0, 0))) + ProgressRing::frame().center();
}

// The rows of `area` holding ink that stands out from its top-left pixel.
QPair<int, int> inkRows(const QImage& image, const QRect& area)
{
    const int ground = image.pixelColor(area.topLeft()).lightness();
    int top = -1;
    int bottom = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::abs(image.pixelColor(x, y).lightness() - ground) > 24) {
                top = top < 0 ? y : top;
                bottom = y;
            }
    return {top, bottom};
}

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

// The pixel on the ring's centre line at `fraction` of a turn clockwise
// from twelve o'clock.
QColor ringPixel(const QImage& image, const ContentView& view, double fraction)
{
    const QPointF centre = ringCentre(view);
    const double radius = ProgressRing::side / 2.0;
    const double a = fraction * 2 * M_PI;
    const QPoint at = (centre + QPointF(radius * std::sin(a), -radius * std::cos(a))).toPoint();
    return image.pixelColor(at);
}

bool colourful(const QColor& c)
{
    return c.hsvSaturationF() > 0.35f;
}
}  // namespace

// Until Time: 64 x 38 boxes (their padding inside the background), the
// colon's dots centred on them.
void checkTargetGeometry(const QImage& image, const ContentView& view)
{
    const TargetTimeInput* t = view.targetTimeInput();
    for (const NumberField* f : {t->hourField(), t->minuteField()})
        QCOMPARE(f->size(), QSize(64, 38));
    const QRect box(t->hourField()->mapTo(&view, QPoint(0, 0)), t->hourField()->size());
    const QRect colon(t->colon()->mapTo(&view, QPoint(0, 0)), t->colon()->size());
    const auto [top, bottom] = inkRows(image, colon);
    QVERIFY(top >= 0);
    const double dots = (top + bottom) / 2.0;
    QVERIFY2(std::abs(dots - (box.top() + box.height() / 2.0 - 0.5)) <= 1.5,
             qPrintable(QStringLiteral("dots %1..%2, box %3..%4").arg(top).arg(bottom).arg(box.top()).arg(box.bottom())));
}

// Every card's fill covers its whole rect, the chosen one's too; the
// others' hairline lies on one pixel column, not smeared over two.
void checkCards(const QImage& image, const ContentView& view)
{
    for (const FlatButton* card : view.presetGrid()->cards()) {
        const QRect at(card->mapTo(&view, QPoint(0, 0)), card->size());
        const int y = at.center().y();
        const auto light = [&](int x) { return image.pixelColor(x, y).lightness(); };
        if (card->isSelected()) {
            for (const QPoint p : {QPoint(at.left(), y), QPoint(at.right(), y), QPoint(at.center().x(), at.bottom())})
                QVERIFY2(colourful(image.pixelColor(p)), qPrintable(card->text()));
            QVERIFY(!colourful(image.pixelColor(at.center().x(), at.bottom() + 3)));
        } else {
            QVERIFY2(std::abs(light(at.left() + 1) - light(at.left() + 4)) <= 2, qPrintable(card->text()));
            QVERIFY2(std::abs(light(at.left()) - light(at.left() + 4)) >= 3, qPrintable(card->text()));
        }
    }
}

class TestViewRendering : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void states_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<AppLanguage>("language");
        const QList<QPair<const char*, Setup>> states{
            {"idle-preset", [](ViewRig&) {}},
            {"idle-custom", [](ViewRig& r) { r.timer.mode = TimerMode::custom; r.timer.customMinutes = 12; r.timer.customSeconds = 30; }},
            {"idle-target", [](ViewRig& r) { r.timer.mode = TimerMode::targetTime; r.timer.targetHour = 11; r.timer.targetMinute = 45; }},
            {"idle-long-values", [](ViewRig& r) { r.timer.mode = TimerMode::custom; r.timer.customMinutes = 1500; r.timer.customSeconds = 1234567890123456789; }},
            {"idle-long-target", [](ViewRig& r) { r.timer.mode = TimerMode::targetTime; r.timer.targetHour = 123456; r.timer.targetMinute = 7; }},
            {"running-preset", [](ViewRig& r) { r.startPreset(1, 20'000); }},
            {"running-target", [](ViewRig& r) {
                r.timer.mode = TimerMode::targetTime;
                ViewRig::settle();
                r.startTarget(10, 3);
                r.clock.advance(60'000);
                QTRY_COMPARE(r.timer.remainingSeconds.get(), qint64(120));
            }},
            {"paused-custom", [](ViewRig& r) {
                r.timer.mode = TimerMode::custom;
                r.timer.customMinutes = 2;
                ViewRig::settle();
                r.timer.start();
                r.clock.advance(90'000);
                QTRY_COMPARE(r.timer.remainingSeconds.get(), qint64(30));
                r.pause();
            }},
            {"ringing-stop", [](ViewRig& r) { r.timer.setShowRestartOnExpire(false); r.ring(); }},
            {"ringing-restart", [](ViewRig& r) { r.timer.setShowRestartOnExpire(true); r.ring(); }},
        };
        for (const auto& [name, setup] : states)
            for (bool dark : {false, true})
                for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese})
                    QTest::newRow(qPrintable(QStringLiteral("%1-%2-%3").arg(QLatin1String(name),
                                                                               dark ? QStringLiteral("dark") : QStringLiteral("light"),
                                                                               rawValue(lang))))
                        << setup << dark << lang;
    }
    void states()
    {
        QFETCH(Setup, setup);
        QFETCH(bool, dark);
        QFETCH(AppLanguage, language);
        QApplication::setPalette(dark ? darkPalette() : lightPalette());
        ViewRig r(language);
        setup(r);
        r.settle();
        // Let the overlay's entrance and the arc's glide finish.
        QTRY_VERIFY(!r.timer.isRinging || r.view->ringingOverlay()->stopButton()->isVisible());
        QTRY_COMPARE(r.view->ring()->drawnProgress(), r.view->ring()->state().progress);

        const QImage image = r.view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString file = QStringLiteral("%1/view-%2.png").arg(testOutputDir(), QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(image.save(file));

        // Not blank: a picture of many colours.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 50, qPrintable(file));
        // The background follows the theme.
        const QColor corner = image.pixelColor(180, 2);
        QCOMPARE(corner.lightness() < 128, dark);

        // Numbers are drawn whole in their boxes.
        for (NumberField* f : r.view->findChildren<NumberField*>())
            QVERIFY2(!f->isVisible() || f->showsWholeText(), qPrintable(f->text()));
        if (r.timer.mode == TimerMode::targetTime)
            checkTargetGeometry(image, *r.view);
        if (r.timer.mode == TimerMode::preset && !r.timer.isRinging)
            checkCards(image, *r.view);

        const double progress = r.timer.progress();
        if (r.timer.isRinging) {
            QVERIFY(r.view->ringingOverlay()->isVisible());
            QVERIFY(progress == 0.0);
            return;
        }
        // The read-out is drawn whole, shrunk to fit when it is long: a
        // run of ink for each character.
        const QPoint c = ringCentre(*r.view).toPoint();
        const int ground = image.pixelColor(c - QPoint(66, 0)).lightness();
        QCOMPARE(inkRuns(image, QRect(c.x() - 62, c.y() - 26, 125, 36), ground), int(r.timer.formattedDisplay().size()));
        if (progress > 0) {
            QVERIFY2(colourful(ringPixel(image, *r.view, progress / 2)), qPrintable(file));
            QVERIFY2(!colourful(ringPixel(image, *r.view, (1 + progress) / 2)), qPrintable(file));
        } else {
            for (double f : {0.25, 0.5, 0.75})
                QVERIFY2(!colourful(ringPixel(image, *r.view, f)), qPrintable(file));
            // The 9-wide track is centred on the circle inscribed in the
            // 152 frame: its outer edge spans 161.
            const QColor outside = image.pixelColor(c.x() - 95, c.y());
            int left = c.x() - 95;
            while (left < c.x() && std::abs(image.pixelColor(left, c.y()).lightness() - outside.lightness()) < 4)
                ++left;
            QVERIFY2(std::abs((c.x() - left) - 80.5) <= 1.5, qPrintable(QString::number(c.x() - left)));
        }
    }

    // A symbol at n is n pixels along the longer side of its ink, as the
    // gear at 13 is.
    void symbolsScaleLikeTheGear()
    {
        const std::pair<const char*, int> symbols[] = {
            {"gearshape", 13}, {"xmark.circle.fill", 16}, {"power", 14},     {"display", 14},
            {"checkmark", 11}, {"play.fill", 12},         {"pause.fill", 13}, {"arrow.counterclockwise", 13},
            {"clock", 12},     {"minus", 9}};
        for (const auto& [name, side] : symbols) {
            const QImage image =
                symbol::pixmap(QString::fromLatin1(name), side, Qt::black, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
            QRect ink;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) > 96)
                        ink |= QRect(x, y, 1, 1);
            QVERIFY2(std::abs(qMax(ink.width(), ink.height()) - side) <= 1,
                     qPrintable(QStringLiteral("%1: %2 x %3").arg(QLatin1String(name)).arg(ink.width()).arg(ink.height())));
        }
    }

    // A new second glides the arc only when the step can be seen; the
    // status dot tells running from paused; ringing turns the ring red.
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
        r.startPreset(1, 1000);
        const QColor running = ring->statusDotColor();
        r.pause();
        QVERIFY(running != ring->statusDotColor());
        r.timer.reset();
        r.ring();
        QCOMPARE(ring->ringGradientColors().first(), ring->statusDotColor());
        QVERIFY(ring->ringGradientColors().first().red() > 200);
    }
};

QTEST_MAIN(TestViewRendering)
#include "test_view_rendering.moc"
