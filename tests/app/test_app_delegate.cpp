// The shell's wiring: the launch sequence, the tray title and menu, the main
// menu with the language switch, clicks on the tray item, the window
// commands and the About window.
#include "app/about_window.h"
#include "platform/app_notification_center.h"
#include "shell_rig.h"
#include "support/portal_stand_in.h"
#include "views/about_view.h"
#include "views/content_view.h"
#include "views/flat_button.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <functional>

namespace {
// One line per entry: "title|shortcut", "title|shortcut|off" when disabled,
// "-" for a separator, a trailing " ✓" when checked.
QStringList describe(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out << QStringLiteral("-");
            continue;
        }
        QString line = a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
        if (!a->isEnabled())
            line += QStringLiteral("|off");
        if (a->isChecked())
            line += QStringLiteral(" ✓");
        out << line;
    }
    return out;
}

QAction* findAction(const QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

QAction* languageItem(const ShellRig& rig, AppLanguage language)
{
    const QMenu* languages = rig.topMenu(0)->actions().at(1)->menu();
    for (QAction* a : languages->actions()) {
        if (a->data().value<AppLanguage>() == language)
            return a;
    }
    return nullptr;
}
}  // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The steps in order, on the stored theme from the first frame.
    void launchRunsItsStepsInOrder()
    {
        ShellRig rig;
        rig.timer.setAppTheme(AppTheme::dark);
        QSignalSpy steps(&rig.delegate(), &AppDelegate::launchStepFinished);
        rig.launch();
        QVERIFY(viewstyle::isDark(QApplication::palette()));
        QTRY_VERIFY(viewstyle::isDark(rig.window().contentWidget()->palette()));
        Theme::shared().apply(AppTheme::light);  // for the tests after
        QStringList order;
        for (const auto& args : steps)
            order << args.at(0).toString();
        QCOMPARE(order, (QStringList{"setupStatusBar", "installReport", "updateController", "observeTimer",
                                     "observeWindows", "observeBringToFront", "mainMenu",
                                     "languageSubscription"}));
        QCOMPARE(rig.tray->title, QStringLiteral("\u23F1 Ready"));
        QVERIFY(rig.tray->shown);
        // Until the main window has been active it is not tracked.
        QCOMPARE(rig.delegate().window(), nullptr);
        // Fixed and frameless: no decoration, the frame is its own rectangle.
        MainWindow& w = rig.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.minimumSize(), QSize(360, 490));
        QCOMPARE(w.maximumSize(), QSize(360, 490));
        QCOMPARE(w.windowHandle()->frameGeometry().size(), QSize(360, 490));
        QCOMPARE(w.contentWidget()->geometry(), QRect(0, 0, 360, 490));
    }

    // Both menus are built twice at launch and again on every switch, the
    // same language included; only one of each lives on.
    void languageSwitchRebuildsMenusAndTitle_data()
    {
        QTest::addColumn<AppLanguage>("from");
        QTest::addColumn<AppLanguage>("to");
        QTest::newRow("system to chinese") << AppLanguage::system << AppLanguage::chinese;
        QTest::newRow("chinese to english") << AppLanguage::chinese << AppLanguage::english;
        QTest::newRow("english again") << AppLanguage::english << AppLanguage::english;
    }
    void languageSwitchRebuildsMenusAndTitle()
    {
        QFETCH(AppLanguage, from);
        QFETCH(AppLanguage, to);
        // "title|shortcut" per entry: the status menu, the main menu's tops,
        // the language menu, then the main menu's three menus in English.
        const bool zh = to == AppLanguage::chinese;
        const QList<QStringList> expected = zh
            ? QList<QStringList>{{"设置…|Ctrl+,", "检查更新…|", "-", "关于 Lumora|", "-", "退出|Ctrl+Q"},
                                 {"Lumora", "编辑", "窗口"},
                                 {"跟随系统|", "简体中文| ✓", "English|"}}
            : QList<QStringList>{
                  {"Settings…|Ctrl+,", "Check for Updates…|", "-", "About Lumora|", "-", "Quit|Ctrl+Q"},
                  {"Lumora", "Edit", "Window"},
                  {"Follow System|", "简体中文|", "English| ✓"},
                  {"About Lumora|", "Language|", "-", "Settings…|Ctrl+,", "Check for Updates…|", "-",
                   "Hide Lumora|Ctrl+H", "Hide Others|Ctrl+Alt+H|off", "Show All|", "-", "Quit Lumora|Ctrl+Q"},
                  {"Undo|Ctrl+Z", "Redo|Ctrl+Shift+Z", "-", "Cut|Ctrl+X", "Copy|Ctrl+C", "Paste|Ctrl+V",
                   "Select All|Ctrl+A"},
                  {"Minimize|Ctrl+M", "Close|Ctrl+W", "-", "Bring All to Front|"}};
        ShellRig rig;
        rig.l10n.setCurrent(from);
        rig.launch();
        QCOMPARE(rig.window().findChildren<QMenuBar*>().size(), 1);
        QCOMPARE(ShellRig::liveStatusMenus(), 1);
        QVERIFY(languageItem(rig, from)->isChecked());

        QPointer<QMenuBar> oldMenu = rig.window().mainMenu();
        languageItem(rig, to)->trigger();
        ShellRig::settle();

        QCOMPARE(rig.l10n.current.get(), to);
        QVERIFY(oldMenu.isNull());
        QCOMPARE(rig.window().findChildren<QMenuBar*>().size(), 1);
        QCOMPARE(ShellRig::liveStatusMenus(), 1);
        QCOMPARE(rig.tray->menu.data(), rig.delegate().statusItem()->menu());
        QCOMPARE(rig.tray->title, zh ? QStringLiteral("\u23F1 就绪") : QStringLiteral("\u23F1 Ready"));
        QStringList tops;
        for (QAction* a : rig.window().mainMenu()->actions()) {
            tops << a->text();
            QCOMPARE(a->menu()->title(), a->text());
        }
        const QList<QStringList> menus{describe(rig.delegate().statusItem()->menu()), tops,
                                       describe(rig.topMenu(0)->actions().at(1)->menu()), describe(rig.topMenu(0)),
                                       describe(rig.topMenu(1)), describe(rig.topMenu(2))};
        QCOMPARE(menus.mid(0, expected.size()), expected);

        // The same menus open from the window's background.
        QStringList contextTitles;
        for (QAction* a : rig.window().contextMenu()->actions())
            contextTitles << a->text();
        QCOMPARE(contextTitles, tops);
        // Every shortcut is the window's own, so it works with no menu bar shown.
        for (int i = 0; i < 3; ++i) {
            for (QAction* a : rig.topMenu(i)->actions()) {
                if (!a->shortcut().isEmpty())
                    QVERIFY2(rig.window().actions().contains(a), qPrintable(a->text()));
            }
        }
        // Entries without a language change nothing.
        for (const QVariant& data : {QVariant(), QVariant(QStringLiteral("english")), QVariant(2)}) {
            QAction item;
            item.setData(data);
            rig.delegate().changeLanguage(&item);
        }
        rig.delegate().changeLanguage(nullptr);
        QCOMPARE(rig.l10n.current.get(), to);
    }

    // One countdown through its states: the tray's title and ring follow.
    void titleFollowsTheCountdown()
    {
        ShellRig rig;
        rig.launch();
        const auto startFor = [&rig](int minutes) {
            return [&rig, minutes] {
                rig.timer.selectedPresetMinutes = minutes;
                rig.timer.start();
            };
        };
        const auto advance = [&rig](int ms) { return [&rig, ms] { rig.clock.advance(ms); }; };
        const struct {
            std::function<void()> action;
            QString title;
            TrayState state;
        } steps[] = {
            {startFor(1), QStringLiteral("\u23F1 01:00"), TrayState::running},
            {advance(1500), QStringLiteral("\u23F1 00:58"), TrayState::running},
            {[&rig] { rig.timer.pause(); rig.clock.advance(5000); }, QStringLiteral("\u23F1 00:58"), TrayState::paused},
            {[&rig] { rig.timer.reset(); }, QStringLiteral("\u23F1 Ready"), TrayState::idle},
            {startFor(90), QStringLiteral("\u23F1 01:30:00"), TrayState::running},
            {advance(90 * 60'000), QStringLiteral("\u23F1 Ready"), TrayState::ringing},
        };
        for (const auto& step : steps) {
            step.action();
            QTRY_COMPARE(rig.tray->title, step.title);
            QTest::qWait(TimerManager::tickIntervalMs * 2);  // and it stays there
            ShellRig::settle();
            QCOMPARE(rig.delegate().statusItem()->title(), step.title);
            QCOMPARE(rig.tray->state, step.state);
            if (step.state == TrayState::paused)
                QCOMPARE(rig.tray->fraction, 58.0 / 60.0);
        }
    }

    // Shortcuts and edit commands reach the window and its focused field.
    void shortcutsAndEditCommandsWhileTheWindowHasFocus()
    {
        ShellRig rig;
        auto* field = new QLineEdit(QStringLiteral("12:30"));
        rig.window().setContentWidget(field);
        rig.launch();
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        findAction(rig.topMenu(1), QStringLiteral("Select All"))->trigger();
        QCOMPARE(field->selectedText(), QStringLiteral("12:30"));
        findAction(rig.topMenu(1), QStringLiteral("Cut"))->trigger();
        QCOMPARE(field->text(), QString());
        findAction(rig.topMenu(1), QStringLiteral("Undo"))->trigger();
        QCOMPARE(field->text(), QStringLiteral("12:30"));
        // Without a text field in focus the commands go nowhere, harmlessly.
        field->clearFocus();
        findAction(rig.topMenu(1), QStringLiteral("Paste"))->trigger();

        int settingsPosts = 0;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context,
                                                          [&] { ++settingsPosts; });
        QTest::keyClick(&rig.window(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settingsPosts, 1);
        // Hide takes Lumora's windows away, Show All brings them back.
        QTest::keyClick(&rig.window(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(!rig.window().isVisible());
        findAction(rig.topMenu(0), QStringLiteral("Show All"))->trigger();
        QVERIFY(rig.window().isVisible());
    }

    // Left click toggles the window, right click leaves it (the menu opens),
    // middle click does nothing; a window never active is shown all the same.
    // Closing the window only hides it to the tray.
    void trayClicks()
    {
        ShellRig rig;
        rig.launch();
        QSignalSpy quit(&rig.delegate(), &AppDelegate::quitRequested);
        QVERIFY(!QApplication::quitOnLastWindowClosed());
        using Click = TrayBackend::Click;
        const struct {
            bool tracked;
            bool visibleBefore;
            Click click;
            bool visibleAfter;
        } rows[] = {{false, false, Click::middle, false}, {false, false, Click::primary, true},
                    {true, true, Click::primary, false},  {true, false, Click::primary, true},
                    {true, true, Click::secondary, true}, {true, false, Click::secondary, false}};
        for (const auto& row : rows) {
            if (row.tracked)
                rig.delegate().keyWindowChanged(rig.window().windowHandle());
            QCOMPARE(rig.delegate().window(), row.tracked ? &rig.window() : nullptr);
            if (row.visibleBefore) {
                rig.window().show();
                QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
            } else {
                rig.window().close();
            }
            rig.tray->click(row.click);
            QCOMPARE(rig.window().isVisible(), row.visibleAfter);
        }
        QCOMPARE(quit.size(), 0);
    }

    // Without a main window the click falls back to the first visible window.
    void trayClickFallsBackToTheWindowList()
    {
        TempConfigHome home;
        auto store = home.openStore();
        FakeClock clock;
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        TimerManager timer(*store, clock, l10n);
        AppDelegate delegate(timer, l10n, [] { return std::make_unique<FakeTrayBackend>(); });
        delegate.applicationDidFinishLaunching();
        auto* fake = static_cast<FakeTrayBackend*>(&delegate.statusItem()->backend());

        fake->click(TrayBackend::Click::primary);  // nothing to show: nothing happens

        QWidget hidden;
        hidden.setWindowTitle(QStringLiteral("hidden"));
        QWidget shown;
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        fake->click(TrayBackend::Click::primary);
        QVERIFY(!shown.isVisible());
        QVERIFY(!hidden.isVisible());
    }

    // Without a tray to come back from, closing the main window quits.
    void closingTheWindowWithoutATrayQuits()
    {
        ShellRig rig(false);
        rig.launch();
        QSignalSpy quit(&rig.delegate(), &AppDelegate::quitRequested);
        rig.delegate().keyWindowChanged(rig.window().windowHandle());
        rig.window().close();
        QCOMPARE(quit.size(), 1);
    }

    void keyWindowObserverTracksOnlyTheMainWindow()
    {
        ShellRig rig;
        rig.launch();
        rig.delegate().showAbout();
        QDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const Qt::WindowFlags dialogFlags = dialog.windowFlags();
        const Qt::WindowFlags aboutFlags = rig.delegate().aboutWindow()->windowFlags();

        rig.delegate().keyWindowChanged(dialog.windowHandle());
        rig.delegate().keyWindowChanged(rig.delegate().aboutWindow()->windowHandle());
        rig.delegate().keyWindowChanged(nullptr);
        QCOMPARE(rig.delegate().window(), nullptr);
        QCOMPARE(dialog.windowFlags(), dialogFlags);
        QCOMPARE(rig.delegate().aboutWindow()->windowFlags(), aboutFlags);
        QVERIFY(!rig.delegate().aboutWindow()->testAttribute(Qt::WA_TranslucentBackground));

        // Through the real focus change, too.
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        QCOMPARE(rig.delegate().window(), &rig.window());
        QVERIFY(rig.window().hasBorderlessStyle());
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(rig.delegate().window(), &rig.window());
    }

    // Hidden, minimised or behind another window: an expiry brings it forward.
    void bringToFrontOnExpiry()
    {
        ShellRig rig;
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        QWidget other;
        const std::function<void()> befores[] = {
            [&] { rig.window().hide(); },
            [&] { rig.window().showMinimized(); },
            [&] {
                other.show();
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
            }};
        for (const auto& before : befores) {
            before();
            AppNotificationCenter::defaultCenter().post(AppNotificationCenter::bringToFrontOnExpire);
            QVERIFY(rig.window().isVisible());
            QVERIFY(!rig.window().isMinimized());
            QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        }
    }

    void followsTheDesktopsSchemeOnceLaunched()
    {
        // The portal on the session bus the application itself is on.
        const QString name = QStringLiteral("portal");
        {
            PortalStandIn portal(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name));
            QVERIFY(portal.publish());
            ShellRig rig;
            rig.timer.setAppTheme(AppTheme::system);
            rig.launch();
            QWidget* content = rig.window().contentWidget();
            portal.setScheme(1);
            QTRY_VERIFY(viewstyle::isDark(content->palette()));
            portal.setScheme(2);
            QTRY_VERIFY(!viewstyle::isDark(content->palette()));
            portal.setScheme(0);  // the platform's light palette again, for the tests after
            QTest::qWait(50);
        }
        QDBusConnection::disconnectFromBus(name);
    }

    void aboutWindowIsMadeOnceAndReused()
    {
        ShellRig rig;
        rig.launch();
        rig.delegate().showAbout();
        // Held weakly: a window made anew would leave this one deleted.
        QPointer<AboutWindow> about = rig.delegate().aboutWindow();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->minimumSize(), QSize(340, 420));
        QCOMPARE(about->maximumSize(), QSize(340, 420));
        auto* view = qobject_cast<AboutView*>(about->view());
        QCOMPARE(view->version, QStringLiteral("Version %1 (%2)")
                                    .arg(AppDelegate::applicationVersion(), AppDelegate::applicationBuild()));
        QCOMPARE(AppDelegate::versionLine(QStringLiteral("Version"), QStringLiteral("2.1"), {}),
                 QStringLiteral("Version 2.1"));
        QVERIFY(view->showsIcon());

        const QPoint moved = about->pos() + QPoint(13, 7);
        about->move(moved);
        QTest::mouseClick(view->okButton(), Qt::LeftButton);
        QVERIFY(!about->isVisible());

        rig.l10n.setCurrent(AppLanguage::chinese);
        rig.delegate().showAbout();
        ShellRig::settle();
        QCOMPARE(rig.delegate().aboutWindow(), about.data());
        QVERIFY(about->isVisible());
        QCOMPARE(about->pos(), moved);
        QCOMPARE(about->windowTitle(), QStringLiteral("关于 Lumora"));
        view = qobject_cast<AboutView*>(about->view());
        QCOMPARE(view->okTitle, QStringLiteral("好"));
        QCOMPARE(about->findChildren<AboutView*>().size(), 1);

        // The close button only hides it, too.
        about->close();
        QVERIFY(!about->isVisible());
        rig.delegate().showAbout();
        QCOMPARE(rig.delegate().aboutWindow(), about.data());
        QVERIFY(about->isVisible());
    }
};

QTEST_MAIN(TestAppDelegate)
#include "test_app_delegate.moc"
