#include "platform/portal_appearance.h"
#include "support/engine_rig.h"
#include "support/portal_stand_in.h"
#include "views/about_view.h"
#include "views/content_view.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QApplication>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using viewstyle::isDark;

class TestTheme : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The desktop's scheme is read at once; a change made before following
    // begins is still picked up. The system theme follows it live, a chosen
    // theme ignores it, and every window is restyled only when dark flips.
    void followsThePortalUnlessChosen()
    {
        PrivateBus bus;
        PortalStandIn portal(bus.connect(QStringLiteral("portal")));
        portal.scheme = 1;
        QVERIFY(portal.publish());
        PortalAppearance appearance(bus.connect(QStringLiteral("lumora")));
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::dark);
        portal.setScheme(2);
        appearance.startFollowing();
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::light);

        EngineRig engine;
        ContentView main(engine.timer, engine.l10n);
        AboutView about(QStringLiteral("Lumora"), QStringLiteral("1.0"), QStringLiteral("detail"), QStringLiteral("OK"), [] {});
        main.show();
        about.show();
        Theme theme(&appearance);
        QSignalSpy restyled(&theme, &Theme::restyled);
        // (chosen theme, the desktop's scheme after it, dark)
        const std::tuple<AppTheme, uint, bool> steps[] = {{AppTheme::system, 1, true},
                                                          {AppTheme::system, 2, false},
                                                          {AppTheme::light, 1, false},
                                                          {AppTheme::dark, 2, true},
                                                          {AppTheme::system, 2, false}};
        for (const auto& [chosen, desktop, dark] : steps) {
            theme.apply(chosen);
            portal.setScheme(desktop);
            QTRY_COMPARE(appearance.colorScheme(), desktop == 1 ? ColorScheme::dark : ColorScheme::light);
            QCOMPARE(theme.isDark(), dark);
            QTRY_VERIFY(isDark(main.palette()) == dark && isDark(about.palette()) == dark);
        }
        QCOMPARE(restyled.size(), 5);
        QCOMPARE(portal.reads, 2);  // at creation and on starting to follow
    }

    // The portal's colour-scheme value, however deeply wrapped; anything but
    // 1 and 2 is no preference.
    void portalValues()
    {
        const std::pair<QVariant, ColorScheme> rows[] = {
            {QVariant(1u), ColorScheme::dark},
            {QVariant(2u), ColorScheme::light},
            {QVariant(7u), ColorScheme::noPreference},
            {QVariant(QStringLiteral("dark")), ColorScheme::noPreference},
            {QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u)))), ColorScheme::dark}};
        for (const auto& [value, scheme] : rows)
            QCOMPARE(PortalAppearance::fromPortalValue(value), scheme);
    }

    // With no portal on the bus, or none at all, the platform palette decides.
    void withoutPortalThePlatformPaletteDecides()
    {
        PrivateBus bus;
        PortalAppearance appearance(bus.connect(QStringLiteral("lumora")));
        for (const bool dark : {true, false}) {
            QApplication::setPalette(dark ? darkPalette() : lightPalette());
            Theme theme(dark ? &appearance : nullptr);
            theme.apply(AppTheme::system);
            QCOMPARE(theme.isDark(), dark);
        }
    }
};

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
