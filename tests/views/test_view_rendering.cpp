#include "view_rig.h"

#include "views/flat_button.h"
#include "views/progress_ring.h"
#include "views/ringing_overlay.h"

#include <QImage>
#include <QSet>
#include <cmath>

Q_DECLARE_METATYPE(std::function<void(ViewRig&)>)

using Setup = std::function<void(ViewRig&)>;

namespace {
// The pixel on the ring's centre line at `fraction` of a turn clockwise
// from twelve o'clock.
QColor ringPixel(const QImage& image, const ContentView& view, double fraction)
{
    const QWidget* ring = view.ring();
    const QPointF centre = QPointF(ring->mapTo(&view, QPoint(0, 0))) + QPointF(76, 76);
    const double radius = (ProgressRing::side - ProgressRing::lineWidth) / 2.0;
    const double a = fraction * 2 * M_PI;
    const QPoint at = (centre + QPointF(radius * std::sin(a), -radius * std::cos(a))).toPoint();
    return image.pixelColor(at);
}

bool colourful(const QColor& c)
{
    return c.hsvSaturationF() > 0.35f;
}
}  // namespace

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
            {"running-preset", [](ViewRig& r) { r.startPreset(1, 20'000); }},
            {"running-target", [](ViewRig& r) {
                r.timer.mode = TimerMode::targetTime;
                r.timer.targetHour = 10;
                r.timer.targetMinute = 3;
                ViewRig::settle();
                r.timer.start();
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
        QApplication::setPalette(testPalette(dark));
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

        const double progress = r.timer.progress();
        if (r.timer.isRinging) {
            QVERIFY(r.view->ringingOverlay()->isVisible());
            QVERIFY(progress == 0.0);
            return;
        }
        if (progress > 0) {
            QVERIFY2(colourful(ringPixel(image, *r.view, progress / 2)), qPrintable(file));
            QVERIFY2(!colourful(ringPixel(image, *r.view, (1 + progress) / 2)), qPrintable(file));
        } else {
            for (double f : {0.25, 0.5, 0.75})
                QVERIFY2(!colourful(ringPixel(image, *r.view, f)), qPrintable(file));
        }
    }

    void ringColours()
    {
        ViewRig r;
        ProgressRing* ring = r.view->ring();
        const auto colours = ring->ringGradientColors();
        QCOMPARE(colours.size(), 4);
        QCOMPARE(colours.first(), colours.last());
        QCOMPARE(colours.at(0), QColor::fromRgbF(0, 0.48f, 1.0f));
        r.startPreset(1, 1000);
        const QColor running = ring->statusDotColor();
        r.pause();
        const QColor paused = ring->statusDotColor();
        QVERIFY(running != paused);
        r.timer.reset();
        r.ring();
        QCOMPARE(ring->ringGradientColors().first(), ring->statusDotColor());
        QVERIFY(ring->ringGradientColors().first().red() > 200);
    }

    void longReadoutFits()
    {
        QApplication::setPalette(testPalette(false));
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.timer.customMinutes = 999;
        r.timer.customSeconds = 59;
        r.settle();
        r.timer.start();
        r.settle();
        QVERIFY(r.timer.formattedDisplay().size() >= 8);
        const QImage image = r.view->grab().toImage();
        QVERIFY(image.save(testOutputDir() + QStringLiteral("/view-long-readout.png")));
        // Nothing of the read-out reaches the ring's track.
        const QPoint ringAt = r.view->ring()->mapTo(r.view.get(), QPoint(0, 0));
        const QColor track = image.pixelColor(ringAt + QPoint(ProgressRing::lineWidth + 3, 76));
        QVERIFY(track.lightness() > 200);
    }
};

QTEST_MAIN(TestViewRendering)
#include "test_view_rendering.moc"
