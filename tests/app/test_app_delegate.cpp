// The shell's wiring: the launch, the tray title and clicks, the main menu
// with the live language switch, the window commands and the About window.
#include "app/about_window.h"
#include "platform/app_notification_center.h"
#include "shell_rig.h"
#include "support/portal_stand_in.h"
#include "views/about_view.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace {
// "title|shortcut" per entry ("title" alone without one), "|off" when
// disabled, " ✓" when checked, "-" for a separator.
QString describe(const QWidget* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) {
        const QString key = a->shortcut().toString(QKeySequence::PortableText);
        out << (a->isSeparator() ? QStringLiteral("-") : a->text()) + (key.isEmpty() ? QString() : u'|' + key)
                   + (a->isEnabled() ? "" : "|off") + (a->isChecked() ? " ✓" : "");
    }
    return out.join(QStringLiteral(", "));
}
}  // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A shell without a tray: the stored theme from the first frame on, a
    // fixed frameless window; once launched, a "system" theme follows the
    // desktop. The live language switch rebuilds both menus and the tray
    // title, only one of each lives on, and every shortcut stays the
    // window's own (no menu bar shows). Closing the window quits.
    void launchThemeAndLanguage()
    {
        const QString name = QStringLiteral("portal");
        {
            PortalStandIn portal(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name));
            QVERIFY(portal.publish());
            ShellRig rig(false);
            rig.timer.setAppTheme(AppTheme::dark);
            rig.launch();
            QVERIFY(viewstyle::isDark(QApplication::palette()));
            QVERIFY(rig.tray->shown);
            MainWindow& w = rig.window();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.minimumSize(), w.maximumSize());
            QCOMPARE(w.windowHandle()->frameGeometry().size(), w.size());

            QWidget* content = w.contentWidget();
            Theme::shared().apply(AppTheme::system);  // as the settings panel does
            QTRY_VERIFY(!viewstyle::isDark(content->palette()));
            portal.setScheme(1);
            QTRY_VERIFY(viewstyle::isDark(content->palette()));
            portal.setScheme(0);  // the platform's light palette again, for the tests after
            QTRY_VERIFY(!viewstyle::isDark(content->palette()));

            // The tray title, the tops, the language menu, then the
            // application, edit and window menus.
            const std::pair<AppLanguage, QStringList> switches[] = {
                {AppLanguage::chinese, {"\u23F1 就绪", "Lumora, 编辑, 窗口", "跟随系统, 简体中文 ✓, English"}},
                {AppLanguage::english,
                 {"\u23F1 Ready", "Lumora, Edit, Window", "Follow System, 简体中文, English ✓",
                  "About Lumora, Language, -, Settings…|Ctrl+,, Check for Updates…, -, Hide Lumora|Ctrl+H, "
                  "Hide Others|Ctrl+Alt+H|off, Show All, -, Quit Lumora|Ctrl+Q",
                  "Undo|Ctrl+Z, Redo|Ctrl+Shift+Z, -, Cut|Ctrl+X, Copy|Ctrl+C, Paste|Ctrl+V, Select All|Ctrl+A",
                  "Minimize|Ctrl+M, Close|Ctrl+W, -, Bring All to Front"}}};
            for (const auto& [language, menus] : switches) {
                QPointer<QMenuBar> oldMenu = w.mainMenu();
                for (QAction* a : rig.topMenu(0)->actions().at(1)->menu()->actions()) {
                    if (a->data().value<AppLanguage>() == language)
                        a->trigger();
                }
                ShellRig::settle();
                QVERIFY(oldMenu.isNull());
                QCOMPARE(w.findChildren<QMenuBar*>().size(), 1);
                const auto isStatusMenu = [](QWidget* m) { return m->objectName() == QLatin1String("StatusMenu"); };
                QCOMPARE(std::ranges::count_if(QApplication::topLevelWidgets(), isStatusMenu), 1);
                QStringList seen{rig.tray->title, describe(w.mainMenu()),
                                 describe(rig.topMenu(0)->actions().at(1)->menu())};
                for (int i = 0; i < 3; ++i) {
                    seen << describe(rig.topMenu(i));
                    for (QAction* a : rig.topMenu(i)->actions())
                        QVERIFY2(a->shortcut().isEmpty() || w.actions().contains(a), qPrintable(a->text()));
                }
                QCOMPARE(seen.mid(0, menus.size()), menus);
                // The same menus open from the window's background.
                QCOMPARE(describe(w.contextMenu()), seen.at(1));
            }

            QSignalSpy quit(&rig.delegate(), &AppDelegate::quitRequested);
            w.close();
            QCOMPARE(quit.size(), 1);
        }
        QDBusConnection::disconnectFromBus(name);
    }

    // One shell through a day's use, in the order the checks need: the
    // main window never yet active, then the key window, then the About
    // window over it.
    void shellWalk()
    {
        ShellRig rig;
        auto* field = new QLineEdit(QStringLiteral("12:30"));
        rig.window().setContentWidget(field);
        rig.launch();
        // Left click toggles the window, right click leaves it (the menu
        // opens), middle click does nothing; a window never active is shown
        // all the same, and with a tray closing it only hides it.
        QSignalSpy quit(&rig.delegate(), &AppDelegate::quitRequested);
        QVERIFY(!QApplication::quitOnLastWindowClosed());
        QCOMPARE(rig.delegate().window(), nullptr);
        using Click = TrayBackend::Click;
        const std::tuple<bool, Click, bool> rows[] = {{false, Click::middle, false}, {false, Click::primary, true},
                                                      {true, Click::primary, false},  {true, Click::secondary, true},
                                                      {false, Click::secondary, false}};
        for (const auto& [visibleBefore, click, visibleAfter] : rows) {
            if (visibleBefore) {
                rig.window().show();
                QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
            } else {
                rig.window().close();
            }
            rig.tray->click(click);
            QCOMPARE(rig.window().isVisible(), visibleAfter);
        }
        QCOMPARE(quit.size(), 0);

        // The tray's title and ring follow a countdown through its states.
        const auto expect = [&rig](const char* title, TrayState state) {
            const QString full = QStringLiteral("\u23F1 ") + QString::fromUtf8(title);
            QTRY_COMPARE(rig.tray->title, full);
            QTest::qWait(TimerManager::tickIntervalMs * 2);  // and it stays there
            ShellRig::settle();
            QCOMPARE(rig.tray->title, full);
            QCOMPARE(rig.tray->state, state);
        };
        rig.timer.selectedPresetMinutes = 1;
        rig.timer.start();
        rig.clock.advance(1500);
        expect("00:58", TrayState::running);
        rig.timer.pause();
        rig.clock.advance(5000);
        expect("00:58", TrayState::paused);
        QCOMPARE(rig.tray->fraction, 58.0 / 60.0);
        rig.timer.reset();
        expect("Ready", TrayState::idle);
        rig.timer.start();
        rig.clock.advance(60'000);
        expect("Ready", TrayState::ringing);
        rig.timer.stopRinging();

        // Only the main window becomes the tracked, borderless key window.
        // Edit commands reach its focused field (and go nowhere without one);
        // its shortcuts work while it has the focus.
        rig.window().show();
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        QCOMPARE(rig.delegate().window(), &rig.window());
        QVERIFY(rig.window().hasBorderlessStyle());
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        const auto run = [&rig](int menu, const QString& text) {
            for (QAction* a : rig.topMenu(menu)->actions()) {
                if (a->text() == text)
                    a->trigger();
            }
        };
        run(1, QStringLiteral("Select All"));
        run(1, QStringLiteral("Cut"));
        QCOMPARE(field->text(), QString());
        field->clearFocus();
        run(1, QStringLiteral("Paste"));
        int settingsPosts = 0;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context,
                                                          [&] { ++settingsPosts; });
        QTest::keyClick(&rig.window(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settingsPosts, 1);
        QTest::keyClick(&rig.window(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(!rig.window().isVisible());
        run(0, QStringLiteral("Show All"));
        QVERIFY(rig.window().isVisible());

        // Behind the About window (which keeps its own look), hidden or
        // minimised: an expiry brings the main window forward.
        rig.delegate().showAbout();
        // Held weakly: a window made anew would leave this one deleted.
        QPointer<AboutWindow> about = rig.delegate().aboutWindow();
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(QTest::qWaitForWindowActive(about));
        for (int way = 0; way < 3; ++way) {
            if (way == 1)
                rig.window().hide();
            if (way == 2)
                rig.window().showMinimized();
            AppNotificationCenter::defaultCenter().post(AppNotificationCenter::bringToFrontOnExpire);
            QVERIFY(rig.window().isVisible() && !rig.window().isMinimized());
            QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        }
        QCOMPARE(rig.delegate().window(), &rig.window());
        QCOMPARE(about->windowFlags(), flags);

        // The About window is made once: hidden by OK or its close button,
        // shown again where the user left it, in the language chosen since.
        const QPoint moved = about->pos() + QPoint(13, 7);
        about->move(moved);
        QTest::mouseClick(qobject_cast<AboutView*>(about->view())->okButton(), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        rig.l10n.setCurrent(AppLanguage::chinese);
        rig.delegate().showAbout();
        ShellRig::settle();
        QCOMPARE(rig.delegate().aboutWindow(), about.data());
        QCOMPARE(about->pos(), moved);
        QCOMPARE(about->windowTitle(), QStringLiteral("关于 Lumora"));
        QCOMPARE(qobject_cast<AboutView*>(about->view())->okTitle, QStringLiteral("好"));
        QCOMPARE(about->findChildren<AboutView*>().size(), 1);
        about->close();
        QVERIFY(!about->isVisible());
        rig.delegate().showAbout();
        QVERIFY(about && about->isVisible());
    }
};

QTEST_MAIN(TestAppDelegate)
#include "test_app_delegate.moc"
