// The update service: a scheduled finding end to end with its quiet notice
// on a private notification bus, the open window's language, and the menu
// and settings paths to the one updater.
#include "services/http_client.h"
#include "views/content_view.h"
#include "views/theme.h"
#include "views/view_style.h"
#include "views/flat_button.h"
#include "views/settings_option_row.h"
#include "views/settings_popover.h"
#include "views/settings_view.h"
#include "app/shell_rig.h"
#include "build_config.h"
#include "feed_fixture.h"
#include "localization/localization_manager.h"
#include "loopback_http_server.h"
#include "platform/defaults_store.h"
#include "services/update_service.h"
#include "services/update_user_driver.h"
#include "services/update_window.h"
#include "services/updater.h"
#include "services/updater_controller.h"
#include "support/fake_clock.h"
#include "support/notification_rig.h"
#include "support/test_env.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
AppcastItem release(const QString& display)
{
    AppcastItem item;
    item.version = QStringLiteral("2.0");
    item.displayVersionString = display;
    item.downloadLink = QUrl(QStringLiteral("https://lumora.example/download"));
    return item;
}

// A config home and Lumora's languages over it.
struct Languages {
    explicit Languages(const QString& system = QStringLiteral("en")) : l10n(*store, {system}) {}
    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    LocalizationManager l10n;
};

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}
}  // namespace

class TestUpdateService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)}); }

    // The whole way: the starting controller checks on schedule, finds a
    // release while the user is elsewhere and posts a quiet notice in the
    // desktop's language, whatever Lumora's own; a later finding replaces
    // it. The release shows once the user comes back, by the notice or by
    // turning to Lumora, and a manual check asks nobody.
    void backgroundFindingEndToEnd_data()
    {
        QTest::addColumn<QString>("systemLanguage");
        QTest::addColumn<bool>("byNotice");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("notice clicked") << QStringLiteral("en-US") << true << QStringLiteral("Lumora Update Available")
                                        << QStringLiteral("Version 2.1 (beta) is ready to install.");
        QTest::newRow("turned to Lumora, Chinese desktop")
            << QStringLiteral("zh-CN") << false << QStringLiteral("Lumora 有可用更新")
            << QStringLiteral("版本 2.1 (beta) 已可安装。");
    }
    void backgroundFindingEndToEnd()
    {
        QFETCH(QString, systemLanguage);
        QFETCH(bool, byNotice);
        QFETCH(QString, title);
        QFETCH(QString, body);
        using namespace std::chrono_literals;
        NotificationRig rig;
        auto& [bus, notices, helper] = rig;
        LoopbackHttpServer feedServer;
        feedServer.response.body =
            FeedFixture::feed({FeedFixture::item(QStringLiteral("2.0"), QStringLiteral("2.1 (beta)"))});
        Languages languages(systemLanguage);
        languages.l10n.setCurrent(AppLanguage::english);
        FakeClock clock;
        UpdaterSettings settings;
        settings.feedUrl = feedServer.url(QStringLiteral("/appcast.xml"));
        settings.currentVersion = QStringLiteral("1.0");
        settings.firstCheckDelay = 10ms;
        settings.allowLoopbackHttp = true;
        settings.store = languages.store.get();
        settings.clock = &clock;
        UpdateService service(helper, languages.l10n, [settings] { return settings; }, [] { return false; });

        UpdaterController* controller = service.controller();
        UpdateUserDriver& driver = controller->userDriver();
        QVERIFY(controller->updater().isStarted());
        QTRY_COMPARE(notices.received.size(), size_t(1));
        QCOMPARE(int(feedServer.requests.size()), 1);
        QCOMPARE(notices.received[0].summary, title);
        QCOMPARE(notices.received[0].body, body);
        QVERIFY(!notices.received[0].hints.contains(QStringLiteral("sound-name")));
        QCOMPARE(notices.received[0].hints.value(QStringLiteral("suppress-sound")).toBool(), true);
        QVERIFY(!driver.window());
        QVERIFY(driver.pendingUpdate().has_value());

        QTest::qWait(50);  // the server's id travels back
        controller->updater().checkForUpdatesInBackground();
        QTRY_COMPARE(notices.received.size(), size_t(2));
        QCOMPARE(notices.received[0].replacesId, 0u);
        QCOMPARE(notices.received[1].replacesId, notices.received[0].id);
        QVERIFY(!driver.window());

        if (byNotice)
            notices.invokeAction(notices.received[1].id, QStringLiteral("default"));
        else
            driver.applicationBecameActive();
        QTRY_VERIFY(driver.window() && driver.window()->isVisible());
        QCOMPARE(driver.window()->heading(), QStringLiteral("Lumora 2.1 (beta) is available."));
        QVERIFY(!driver.pendingUpdate().has_value());

        // With Lumora in front the window may show at once, without a notice.
        QVERIFY(service.standardUserDriverShouldHandleShowingScheduledUpdate({}, true));
        driver.window()->hide();
        controller->updater().checkForUpdates();
        QTRY_VERIFY(driver.window()->isVisible());
        QTest::qWait(100);
        QCOMPARE(notices.received.size(), size_t(2));
    }

    // An open window follows a change of language.
    void openWindowFollowsTheLanguage()
    {
        Languages languages;
        LocalizationManager& l10n = languages.l10n;
        UpdateUserDriver driver(l10n, nullptr, [] { return true; });
        driver.show({UpdateCheckResult::Kind::upToDate, UpdateCheckResult::Failure::none, true, {}});
        QVERIFY(driver.window() && driver.window()->isVisible());
        l10n.setCurrent(AppLanguage::chinese);
        QTRY_COMPARE(driver.window()->heading(), QStringLiteral("Lumora 已是最新版本。"));
        QCOMPARE(driver.window()->okButton()->text(), l10n.localized(QStringLiteral("update.ok")));
        // Its picture in the dark look, to be looked at.
        QApplication::setPalette(darkPalette());
        QTRY_VERIFY(viewstyle::isDark(driver.window()->palette()));
        QVERIFY(driver.window()->grab().save(testOutputDir() + QStringLiteral("/update-window-chinese-dark.png")));
        QApplication::setPalette(lightPalette());

        driver.show({UpdateCheckResult::Kind::updateFound, UpdateCheckResult::Failure::none, true,
                     release(QStringLiteral("2.0"))});
        l10n.setCurrent(AppLanguage::english);
        QTRY_COMPARE(driver.window()->heading(), QStringLiteral("Lumora 2.0 is available."));
        QCOMPARE(driver.window()->downloadPage(), QUrl(QStringLiteral("https://lumora.example/download")));
    }

    // The menus and the settings row reach one and the same updater.
    void menuAndSettingsReachTheSameUpdater()
    {
        ShellRig rig;
        rig.launch();
        UpdaterController* controller = UpdateService::shared().controller();
        QCOMPARE(UpdateService::shared().controller(), controller);  // made once
        Updater& updater = controller->updater();
        QSignalSpy started(&updater, &Updater::checkStarted);
        QSignalSpy finished(&updater, &Updater::checkFinished);

        const QString item = rig.l10n.localized(QStringLiteral("menu.checkUpdate"));
        QAction* mainMenuItem = findAction(rig.topMenu(0), item);
        QVERIFY(mainMenuItem);
        mainMenuItem->trigger();
        QAction* statusMenuItem = findAction(rig.delegate().statusItem()->menu(), item);
        QVERIFY(statusMenuItem);
        statusMenuItem->trigger();
        // The settings panel's row, clicked in the gear's popover.
        auto* content = qobject_cast<ContentView*>(rig.window().contentWidget());
        QVERIFY(content);
        QTest::mouseClick(content->gearButton(), Qt::LeftButton);
        QTRY_VERIFY(content->settingsPopover()->isOpen());
        auto* panel = qobject_cast<SettingsView*>(content->settingsPopover()->content());
        QVERIFY(panel);
        QTest::mouseClick(panel->updateRow(), Qt::LeftButton);

        QCOMPARE(started.size(), 3);
        for (const auto& call : started)
            QVERIFY(call.at(0).toBool());
        if (QByteArray(lumora::build::kUpdateFeed).isEmpty()) {
            QCOMPARE(finished.size(), 3);
            UpdateWindow* window = controller->userDriver().window();
            QVERIFY(window && window->isVisible());
            QCOMPARE(window->heading(),
                     LocalizationManager::shared().localized(QStringLiteral("update.notConfigured")));
            QVERIFY(!updater.isStarted());  // no feed: no schedule
        }
    }
};

QTEST_MAIN(TestUpdateService)
#include "test_update_service.moc"
