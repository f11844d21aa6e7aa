#include "platform/portal_appearance.h"
#include "support/engine_rig.h"
#include "support/portal_stand_in.h"
#include "views/about_view.h"
#include "views/content_view.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>

using viewstyle::isDark;

class TestTheme : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void darkThenSystemFollowsThePortalLive()
    {
        PrivateBus bus;
        QVERIFY(bus.isRunning());
        PortalStandIn portal(bus.connect(QStringLiteral("portal")));
        portal.scheme = 1;  // the desktop prefers dark
        QVERIFY(portal.publish());
        PortalAppearance appearance(bus.connect(QStringLiteral("lumora")));
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::dark);
        // The application follows changes only once its window is up; a
        // change made before that is still picked up.
        portal.setScheme(2);
        appearance.startFollowing();
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::light);
        portal.setScheme(1);
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::dark);

        EngineRig engine;
        ContentView main(engine.timer, engine.l10n);
        AboutView about(QStringLiteral("Lumora"), QStringLiteral("1.0"), QStringLiteral("detail"), QStringLiteral("OK"), [] {});
        main.show();
        about.show();

        Theme theme(&appearance);
        int restyles = 0;
        connect(&theme, &Theme::restyled, this, [&restyles] { ++restyles; });
        theme.apply(AppTheme::light);
        QTRY_VERIFY(!isDark(main.palette()) && !isDark(about.palette()));
        theme.apply(AppTheme::dark);
        QTRY_VERIFY(isDark(main.palette()) && isDark(about.palette()));
        theme.apply(AppTheme::system);  // still dark: the desktop says so
        QTest::qWait(20);
        QVERIFY(isDark(main.palette()));
        QCOMPARE(restyles, 2);

        portal.setScheme(2);  // the desktop turns light
        QTRY_VERIFY(!isDark(main.palette()) && !isDark(about.palette()));

        // A chosen theme ignores the desktop's changes.
        theme.apply(AppTheme::light);
        portal.setScheme(1);
        QTest::qWait(100);
        QVERIFY(!isDark(main.palette()));
        QCOMPARE(portal.reads, 2);  // at creation and on starting to follow
    }

    // The portal's colour-scheme value, however it is wrapped; anything
    // but 1 and 2 is no preference.
    void portalValues()
    {
        const std::pair<QVariant, ColorScheme> rows[] = {
            {QVariant(0u), ColorScheme::noPreference},
            {QVariant(1u), ColorScheme::dark},
            {QVariant(2u), ColorScheme::light},
            {QVariant(7u), ColorScheme::noPreference},
            {QVariant(QStringLiteral("dark")), ColorScheme::noPreference},
            {QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u)))), ColorScheme::dark}};
        for (const auto& [value, scheme] : rows)
            QCOMPARE(PortalAppearance::fromPortalValue(value), scheme);
    }

    void withoutPortalThePlatformPaletteDecides()
    {
        PrivateBus bus;
        PortalAppearance appearance(bus.connect(QStringLiteral("lumora")));
        QApplication::setPalette(darkPalette());
        Theme followsDark(&appearance);
        followsDark.apply(AppTheme::system);
        QVERIFY(followsDark.isDark());
        QApplication::setPalette(lightPalette());
        Theme followsLight(nullptr);
        followsLight.apply(AppTheme::system);
        QVERIFY(!followsLight.isDark());
        QTest::qWait(50);
        QCOMPARE(appearance.colorScheme(), ColorScheme::noPreference);
    }
};

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
