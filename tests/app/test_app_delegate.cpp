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
#include "views/settings_option_row.h"
#include "views/settings_popover.h"
#include "views/settings_view.h"
#include "views/view_style.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

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
    void launchRunsItsStepsInOrder()
    {
        ShellRig rig;
        QSignalSpy steps(&rig.delegate(), &AppDelegate::launchStepFinished);
        rig.launch();
        QStringList order;
        for (const auto& args : steps)
            order << args.at(0).toString();
        QCOMPARE(order, (QStringList{"setupStatusBar", "installReport", "updateController", "observeTimer",
                                     "observeWindows", "observeBringToFront", "mainMenu",
                                     "languageSubscription"}));
        // Both menus are built twice during launch; only one of each lives on.
        QCOMPARE(rig.window().findChildren<QMenuBar*>().size(), 1);
        QCOMPARE(ShellRig::liveStatusMenus(), 1);
        QCOMPARE(rig.tray->menu.data(), rig.delegate().statusItem()->menu());
        QCOMPARE(rig.delegate().statusItem()->title(), QStringLiteral("\u23F1 Ready"));
        QCOMPARE(rig.tray->title, QStringLiteral("\u23F1 Ready"));
        QVERIFY(rig.tray->shown);
        // Until the main window has been active it is not tracked.
        QCOMPARE(rig.delegate().window(), nullptr);
    }

    void mainWindowIsFixedAndFrameless()
    {
        ShellRig rig;
        rig.launch();
        MainWindow& w = rig.window();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(360, 490));
        QCOMPARE(w.minimumSize(), QSize(360, 490));
        QCOMPARE(w.maximumSize(), QSize(360, 490));
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        // No decoration around the window: its frame is its own rectangle.
        QCOMPARE(w.windowHandle()->frameGeometry().size(), QSize(360, 490));
        QVERIFY(qobject_cast<ContentView*>(w.contentWidget()));
        QCOMPARE(w.contentWidget()->geometry(), QRect(0, 0, 360, 490));
    }

    void languageSwitchRebuildsMenusAndTitle_data()
    {
        QTest::addColumn<AppLanguage>("from");
        QTest::addColumn<AppLanguage>("to");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("editTitle");
        QTest::addColumn<QString>("settingsItem");
        QTest::newRow("system to chinese") << AppLanguage::system << AppLanguage::chinese
                                           << QStringLiteral("\u23F1 就绪") << QStringLiteral("编辑")
                                           << QStringLiteral("设置…");
        QTest::newRow("chinese to english") << AppLanguage::chinese << AppLanguage::english
                                            << QStringLiteral("\u23F1 Ready") << QStringLiteral("Edit")
                                            << QStringLiteral("Settings…");
        QTest::newRow("english again") << AppLanguage::english << AppLanguage::english
                                       << QStringLiteral("\u23F1 Ready") << QStringLiteral("Edit")
                                       << QStringLiteral("Settings…");
    }
    void languageSwitchRebuildsMenusAndTitle()
    {
        QFETCH(AppLanguage, from);
        QFETCH(AppLanguage, to);
        QFETCH(QString, title);
        QFETCH(QString, editTitle);
        QFETCH(QString, settingsItem);
        ShellRig rig;
        rig.l10n.setCurrent(from);
        rig.launch();
        QVERIFY(languageItem(rig, from)->isChecked());

        QPointer<QMenuBar> oldMenu = rig.window().mainMenu();
        languageItem(rig, to)->trigger();
        ShellRig::settle();

        QCOMPARE(rig.l10n.current.get(), to);
        QVERIFY(oldMenu.isNull());
        QCOMPARE(rig.window().findChildren<QMenuBar*>().size(), 1);
        QCOMPARE(ShellRig::liveStatusMenus(), 1);
        for (AppLanguage language : allAppLanguages)
            QCOMPARE(languageItem(rig, language)->isChecked(), language == to);
        QCOMPARE(rig.topMenu(1)->title(), editTitle);
        QCOMPARE(rig.delegate().statusItem()->menu()->actions().at(0)->text(), settingsItem);
        QCOMPARE(rig.tray->menu.data(), rig.delegate().statusItem()->menu());
        QCOMPARE(rig.delegate().statusItem()->title(), title);
    }

    void changeLanguageIgnoresItemsWithoutALanguage_data()
    {
        QTest::addColumn<QVariant>("data");
        QTest::newRow("none") << QVariant();
        QTest::newRow("raw string") << QVariant(QStringLiteral("english"));
        QTest::newRow("number") << QVariant(2);
    }
    void changeLanguageIgnoresItemsWithoutALanguage()
    {
        QFETCH(QVariant, data);
        ShellRig rig;
        rig.l10n.setCurrent(AppLanguage::chinese);
        QAction item;
        item.setData(data);
        rig.delegate().changeLanguage(&item);
        rig.delegate().changeLanguage(nullptr);
        QCOMPARE(rig.l10n.current.get(), AppLanguage::chinese);
    }

    void titleFollowsTheCountdown_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("title");
        QTest::addColumn<TrayState>("state");
        QTest::newRow("running") << "running" << QStringLiteral("\u23F1 00:58") << TrayState::running;
        QTest::newRow("paused") << "paused" << QStringLiteral("\u23F1 00:58") << TrayState::paused;
        QTest::newRow("expired, ringing") << "expired" << QStringLiteral("\u23F1 Ready") << TrayState::ringing;
        QTest::newRow("reset") << "reset" << QStringLiteral("\u23F1 Ready") << TrayState::idle;
        QTest::newRow("hours") << "hours" << QStringLiteral("\u23F1 01:30:00") << TrayState::running;
    }
    void titleFollowsTheCountdown()
    {
        QFETCH(QString, step);
        QFETCH(QString, title);
        QFETCH(TrayState, state);
        ShellRig rig;
        rig.launch();
        rig.timer.selectedPresetMinutes = step == QLatin1String("hours") ? 90 : 1;
        rig.timer.start();
        ShellRig::settle();
        const QString full = step == QLatin1String("hours") ? QStringLiteral("\u23F1 01:30:00")
                                                            : QStringLiteral("\u23F1 01:00");
        QCOMPARE(rig.delegate().statusItem()->title(), full);

        if (step != QLatin1String("hours")) {
            rig.clock.advance(1500);
            QTRY_COMPARE(rig.delegate().statusItem()->title(), QStringLiteral("\u23F1 00:58"));
        }
        if (step == QLatin1String("paused")) {
            rig.timer.pause();
            rig.clock.advance(5000);
            QTest::qWait(TimerManager::tickIntervalMs * 2);
            ShellRig::settle();
        } else if (step == QLatin1String("expired")) {
            rig.clock.advance(60'000);
            QTRY_VERIFY(!rig.timer.isRunning);
            ShellRig::settle();
        } else if (step == QLatin1String("reset")) {
            rig.timer.reset();
            ShellRig::settle();
        }
        QCOMPARE(rig.delegate().statusItem()->title(), title);
        QCOMPARE(rig.tray->title, title);
        QCOMPARE(rig.tray->state, state);
        if (step == QLatin1String("paused"))
            QCOMPARE(rig.tray->fraction, 58.0 / 60.0);
    }

    void statusMenuEntries_data()
    {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("english") << AppLanguage::english
                                 << QStringList{"Settings…|Ctrl+,", "Check for Updates…|", "-",
                                                "About Lumora|", "-", "Quit|Ctrl+Q"};
        QTest::newRow("chinese") << AppLanguage::chinese
                                 << QStringList{"设置…|Ctrl+,", "检查更新…|", "-", "关于 Lumora|", "-",
                                                "退出|Ctrl+Q"};
    }
    void statusMenuEntries()
    {
        QFETCH(AppLanguage, language);
        QFETCH(QStringList, entries);
        ShellRig rig;
        rig.l10n.setCurrent(language);
        rig.launch();
        QCOMPARE(describe(rig.delegate().statusItem()->menu()), entries);
    }

    void mainMenuStructure_data()
    {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QStringList>("tops");
        QTest::addColumn<QStringList>("application");
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QStringList>("edit");
        QTest::addColumn<QStringList>("windowMenu");
        QTest::newRow("english")
            << AppLanguage::english << QStringList{"Lumora", "Edit", "Window"}
            << QStringList{"About Lumora|",       "Language|", "-",      "Settings…|Ctrl+,",
                           "Check for Updates…|", "-",         "Hide Lumora|Ctrl+H",
                           "Hide Others|Ctrl+Alt+H|off", "Show All|", "-", "Quit Lumora|Ctrl+Q"}
            << QStringList{"Follow System|", "简体中文|", "English| ✓"}
            << QStringList{"Undo|Ctrl+Z", "Redo|Ctrl+Shift+Z", "-",       "Cut|Ctrl+X",
                           "Copy|Ctrl+C", "Paste|Ctrl+V",      "Select All|Ctrl+A"}
            << QStringList{"Minimize|Ctrl+M", "Close|Ctrl+W", "-", "Bring All to Front|"};
        QTest::newRow("chinese")
            << AppLanguage::chinese << QStringList{"Lumora", "编辑", "窗口"}
            << QStringList{"关于 Lumora|", "语言|", "-", "设置…|Ctrl+,", "检查更新…|", "-",
                           "隐藏 Lumora|Ctrl+H", "隐藏其他|Ctrl+Alt+H|off", "全部显示|", "-",
                           "退出 Lumora|Ctrl+Q"}
            << QStringList{"跟随系统|", "简体中文| ✓", "English|"}
            << QStringList{"撤销|Ctrl+Z", "重做|Ctrl+Shift+Z", "-", "剪切|Ctrl+X", "复制|Ctrl+C",
                           "粘贴|Ctrl+V", "全选|Ctrl+A"}
            << QStringList{"最小化|Ctrl+M", "关闭|Ctrl+W", "-", "前置全部窗口|"};
    }
    void mainMenuStructure()
    {
        QFETCH(AppLanguage, language);
        QFETCH(QStringList, tops);
        QFETCH(QStringList, application);
        QFETCH(QStringList, languages);
        QFETCH(QStringList, edit);
        QFETCH(QStringList, windowMenu);
        ShellRig rig;
        rig.l10n.setCurrent(language);
        rig.launch();
        QMenuBar* bar = rig.window().mainMenu();
        QVERIFY(bar);
        QStringList topTitles;
        for (QAction* a : bar->actions()) {
            topTitles << a->text();
            QCOMPARE(a->menu()->title(), a->text());
        }
        QCOMPARE(topTitles, tops);
        QCOMPARE(describe(rig.topMenu(0)), application);
        QCOMPARE(describe(rig.topMenu(0)->actions().at(1)->menu()), languages);
        QCOMPARE(describe(rig.topMenu(1)), edit);
        QCOMPARE(describe(rig.topMenu(2)), windowMenu);

        // The same menus open from the window's background.
        QStringList contextTitles;
        for (QAction* a : rig.window().contextMenu()->actions())
            contextTitles << a->text();
        QCOMPARE(contextTitles, tops);
        // Every shortcut is the window's own, so it works with no menu bar shown.
        const QList<QAction*> windowActions = rig.window().actions();
        for (int i = 0; i < 3; ++i) {
            for (QAction* a : rig.topMenu(i)->actions()) {
                if (!a->shortcut().isEmpty())
                    QVERIFY2(windowActions.contains(a), qPrintable(a->text()));
            }
        }
    }

    void shortcutsWorkWhileTheWindowHasFocus()
    {
        ShellRig rig;
        rig.launch();
        rig.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
        int settingsPosts = 0;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context,
                                                          [&] { ++settingsPosts; });
        QTest::keyClick(&rig.window(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settingsPosts, 1);
        // The settings popover took the keyboard, as popups do; close it.
        QWidget* popover = QApplication::activePopupWidget();
        QVERIFY(popover);
        popover->close();
        // Hide takes Lumora's windows away, Show All brings them back.
        QTest::keyClick(&rig.window(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(!rig.window().isVisible());
        findAction(rig.topMenu(0), QStringLiteral("Show All"))->trigger();
        QVERIFY(rig.window().isVisible());
    }

    void editCommandsReachTheFocusedField()
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
    }

    void trayClicks_data()
    {
        QTest::addColumn<bool>("tracked");
        QTest::addColumn<bool>("visibleBefore");
        QTest::addColumn<TrayBackend::Click>("click");
        QTest::addColumn<bool>("visibleAfter");
        QTest::newRow("tracked, visible: hides") << true << true << TrayBackend::Click::primary << false;
        QTest::newRow("tracked, hidden: shows") << true << false << TrayBackend::Click::primary << true;
        QTest::newRow("never active, hidden: shows") << false << false << TrayBackend::Click::primary << true;
        QTest::newRow("right click keeps it shown") << true << true << TrayBackend::Click::secondary << true;
        QTest::newRow("right click keeps it hidden") << true << false << TrayBackend::Click::secondary << false;
        QTest::newRow("middle click does nothing") << false << false << TrayBackend::Click::middle << false;
    }
    void trayClicks()
    {
        QFETCH(bool, tracked);
        QFETCH(bool, visibleBefore);
        QFETCH(TrayBackend::Click, click);
        QFETCH(bool, visibleAfter);
        ShellRig rig;
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        if (tracked)
            rig.delegate().keyWindowChanged(rig.window().windowHandle());
        QCOMPARE(rig.delegate().window(), tracked ? &rig.window() : nullptr);
        if (!visibleBefore)
            rig.window().close();
        rig.tray->click(click);
        QCOMPARE(rig.window().isVisible(), visibleAfter);
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

    void closingTheWindow_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("with a tray: hides to it") << true;
        QTest::newRow("without a tray: quits") << false;
    }
    void closingTheWindow()
    {
        QFETCH(bool, trayAvailable);
        ShellRig rig(trayAvailable);
        rig.launch();
        QSignalSpy quit(&rig.delegate(), &AppDelegate::quitRequested);
        QVERIFY(!QApplication::quitOnLastWindowClosed());
        rig.delegate().keyWindowChanged(rig.window().windowHandle());
        rig.window().close();
        QCOMPARE(quit.size(), trayAvailable ? 0 : 1);
        // The window is only hidden: the delegate still has it and the tray
        // click brings it back.
        QCOMPARE(rig.delegate().window(), &rig.window());
        rig.tray->click(TrayBackend::Click::primary);
        QVERIFY(rig.window().isVisible());
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

    void bringToFrontOnExpiry_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("hidden") << "hidden";
        QTest::newRow("minimised") << "minimised";
        QTest::newRow("behind another window") << "behind";
    }
    void bringToFrontOnExpiry()
    {
        QFETCH(QString, before);
        ShellRig rig;
        rig.launch();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        QWidget other;
        if (before == QLatin1String("hidden")) {
            rig.window().hide();
        } else if (before == QLatin1String("minimised")) {
            rig.window().showMinimized();
        } else {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        AppNotificationCenter::defaultCenter().post(AppNotificationCenter::bringToFrontOnExpire);
        QVERIFY(rig.window().isVisible());
        QVERIFY(!rig.window().isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
    }

    void storedThemeIsInForceAtLaunch()
    {
        ShellRig rig;
        rig.timer.setAppTheme(AppTheme::dark);
        rig.launch();
        QVERIFY(viewstyle::isDark(QApplication::palette()));
        QTRY_VERIFY(viewstyle::isDark(rig.window().contentWidget()->palette()));

        // The gear's popover holds the settings panel, on the same settings.
        auto* content = qobject_cast<ContentView*>(rig.window().contentWidget());
        QTest::mouseClick(content->gearButton(), Qt::LeftButton);
        QTRY_VERIFY(content->settingsPopover()->isOpen());
        auto* panel = qobject_cast<SettingsView*>(content->settingsPopover()->content());
        QVERIFY(panel);
        QVERIFY(panel->themeRows().at(1)->isSelected());
        QTest::mouseClick(panel->themeRows().at(0), Qt::LeftButton);
        QCOMPARE(rig.timer.appTheme(), AppTheme::light);
        QVERIFY(!viewstyle::isDark(QApplication::palette()));
        QTest::mouseClick(panel->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(!content->settingsPopover()->isOpen());
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

    void openSettingsShowsTheWindowAndPosts()
    {
        ShellRig rig;
        rig.launch();
        rig.window().hide();
        int posts = 0;
        bool visibleAtPost = false;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context, [&] {
            ++posts;
            visibleAtPost = rig.window().isVisible();
        });
        rig.delegate().statusItem()->menu()->actions().at(0)->trigger();
        QCOMPARE(posts, 1);
        QVERIFY(visibleAtPost);
    }

    void versionLine_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("line");
        QTest::newRow("with build") << "2.1" << "7" << "Version 2.1 (7)";
        QTest::newRow("without build") << "2.1" << "" << "Version 2.1";
    }
    void versionLine()
    {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, line);
        QCOMPARE(AppDelegate::versionLine(QStringLiteral("Version"), version, build), line);
    }

    void aboutWindowIsMadeOnceAndReused()
    {
        ShellRig rig;
        rig.launch();
        rig.delegate().showAbout();
        AboutWindow* about = rig.delegate().aboutWindow();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->size(), QSize(340, 420));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Lumora"));
        const Qt::WindowFlags flags = about->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        auto* view = qobject_cast<AboutView*>(about->view());
        QVERIFY(view);
        QCOMPARE(view->appName, QStringLiteral("Lumora"));
        QCOMPARE(view->version, AppDelegate::versionLine(QStringLiteral("Version"),
                                                         AppDelegate::applicationVersion(),
                                                         AppDelegate::applicationBuild()));
        QVERIFY(view->version.endsWith(QLatin1Char(')')));
        QCOMPARE(view->okTitle, QStringLiteral("OK"));
        QCOMPARE(view->detail, rig.l10n.localized(QStringLiteral("about.detail")));
        QVERIFY(view->showsIcon());

        const QPoint moved = about->pos() + QPoint(13, 7);
        about->move(moved);
        QTest::mouseClick(view->okButton(), Qt::LeftButton);
        QVERIFY(!about->isVisible());

        rig.l10n.setCurrent(AppLanguage::chinese);
        rig.delegate().showAbout();
        ShellRig::settle();
        QCOMPARE(rig.delegate().aboutWindow(), about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->pos(), moved);
        QCOMPARE(about->windowTitle(), QStringLiteral("关于 Lumora"));
        view = qobject_cast<AboutView*>(about->view());
        QCOMPARE(view->okTitle, QStringLiteral("好"));
        QVERIFY(view->version.startsWith(QStringLiteral("版本 ")));
        QCOMPARE(about->findChildren<AboutView*>().size(), 1);

        // The close button only hides it, too.
        about->close();
        QVERIFY(!about->isVisible());
        rig.delegate().showAbout();
        QCOMPARE(rig.delegate().aboutWindow(), about);
        QVERIFY(about->isVisible());
    }
};

QTEST_MAIN(TestAppDelegate)
#include "test_app_delegate.moc"
