#include "platform/portal_appearance.h"
#include "support/portal_stand_in.h"
#include "support/test_env.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

class TestTheme : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // With no portal to ask the platform palette decides. The desktop's scheme is
    // read at once, and a change made before following begins is still
    // picked up. The system theme follows it live, a chosen theme ignores
    // it, and the application is restyled only when dark flips.
    void followsThePortalUnlessChosen()
    {
        QApplication::setPalette(darkPalette());
        Theme platform(nullptr);
        platform.apply(AppTheme::system);
        QVERIFY(platform.isDark());

        PrivateBus bus;
        PortalStandIn portal(bus.connect(QStringLiteral("portal")));
        portal.scheme = 1;
        QVERIFY(portal.publish());
        PortalAppearance appearance(bus.connect(QStringLiteral("lumora")));
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::dark);
        portal.setScheme(2);
        appearance.startFollowing();
        QTRY_COMPARE(appearance.colorScheme(), ColorScheme::light);

        Theme theme(&appearance);
        QSignalSpy restyled(&theme, &Theme::restyled);
        // (chosen theme, the desktop's scheme after it, dark)
        const std::tuple<AppTheme, uint, bool> steps[] = {{AppTheme::system, 1, true}, {AppTheme::system, 2, false},
                                                          {AppTheme::light, 1, false}, {AppTheme::dark, 2, true},
                                                          {AppTheme::system, 2, false}};
        for (const auto& [chosen, desktop, dark] : steps) {
            theme.apply(chosen);
            portal.setScheme(desktop);
            QTRY_COMPARE(appearance.colorScheme(), desktop == 1 ? ColorScheme::dark : ColorScheme::light);
            QVERIFY(theme.isDark() == dark && viewstyle::isDark(QApplication::palette()) == dark);
        }
        QCOMPARE(restyled.size(), 5);
        QCOMPARE(portal.reads, 2);  // at creation and on starting to follow

        // Older portals wrap the value once more, and any might more; what
        // is not 1 or 2 is no preference.
        QCOMPARE(PortalAppearance::fromPortalValue(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u))))),
                 ColorScheme::dark);
        QCOMPARE(PortalAppearance::fromPortalValue(QVariant(7u)), ColorScheme::noPreference);
        QCOMPARE(PortalAppearance::fromPortalValue(QVariant(QStringLiteral("dark"))), ColorScheme::noPreference);
    }
};

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
