// The update service: its answer to the delegate question, the quiet
// notice on a private notification bus, and the two manual-check paths.
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
#include "services/update_user_driver_delegate.h"
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

// Answers the question as told and remembers what it was asked.
class ScriptedDelegate final : public UpdateUserDriverDelegate {
public:
    bool answer = false;
    QList<bool> asked;
    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    bool standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem&, bool focus) override
    {
        asked.append(focus);
        return answer;
    }
};

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

    void delegateQuestion_data()
    {
        QTest::addColumn<bool>("focus");
        QTest::addColumn<QString>("systemLanguage");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("in focus") << true << QStringLiteral("en-US") << QString() << QString();
        QTest::newRow("in the background") << false << QStringLiteral("en-US")
                                           << QStringLiteral("Lumora Update Available")
                                           << QStringLiteral("Version 2.1 (beta) is ready to install.");
        QTest::newRow("in the background, Chinese desktop")
            << false << QStringLiteral("zh-CN") << QStringLiteral("Lumora 有可用更新")
            << QStringLiteral("版本 2.1 (beta) 已可安装。");
    }
    void delegateQuestion()
    {
        QFETCH(bool, focus);
        QFETCH(QString, systemLanguage);
        QFETCH(QString, title);
        QFETCH(QString, body);
        NotificationRig rig;
        auto& [bus, server, helper] = rig;
        Languages languages(systemLanguage);
        // Lumora's own language does not matter to the notice.
        languages.l10n.setCurrent(AppLanguage::english);
        UpdateService service(helper, languages.l10n);
        QVERIFY(service.supportsGentleScheduledUpdateReminders());

        const bool answer =
            service.standardUserDriverShouldHandleShowingScheduledUpdate(release(QStringLiteral("2.1 (beta)")), focus);
        QCOMPARE(answer, focus);
        if (focus) {
            QTest::qWait(100);
            QCOMPARE(server.received.size(), size_t(0));
            return;
        }
        QTRY_COMPARE(server.received.size(), size_t(1));
        const auto& notice = server.received[0];
        QCOMPARE(notice.summary, title);
        QCOMPARE(notice.body, body);
        QVERIFY(!notice.hints.contains(QStringLiteral("sound-name")));
        QCOMPARE(notice.hints.value(QStringLiteral("suppress-sound")).toBool(), true);
        // A later finding replaces the notice rather than adding one.
        QTest::qWait(50);  // the server's id travels back
        QVERIFY(!service.standardUserDriverShouldHandleShowingScheduledUpdate(release(QStringLiteral("2.2")), false));
        QTRY_COMPARE(server.received.size(), size_t(2));
        QCOMPARE(server.received[0].replacesId, 0u);
        QCOMPARE(server.received[1].replacesId, server.received[0].id);
    }

    // The whole way: the starting controller checks on schedule, finds a
    // release while the user is elsewhere, posts the notice and shows the
    // release when the notice is clicked.
    void backgroundFindingEndToEnd()
    {
        using namespace std::chrono_literals;
        NotificationRig rig;
        auto& [bus, notices, helper] = rig;
        LoopbackHttpServer feedServer;
        feedServer.response.body = FeedFixture::feed({FeedFixture::item(QStringLiteral("2.0"))});
        Languages languages;
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
        QVERIFY(controller->updater().isStarted());
        QTRY_COMPARE(notices.received.size(), size_t(1));
        QCOMPARE(int(feedServer.requests.size()), 1);
        QCOMPARE(notices.received[0].body, QStringLiteral("Version 2.0 is ready to install."));
        QVERIFY(!controller->userDriver().window());
        QVERIFY(controller->userDriver().pendingUpdate().has_value());

        QTest::qWait(50);  // the server's id travels back
        notices.invokeAction(notices.received[0].id, QStringLiteral("default"));
        QTRY_VERIFY(controller->userDriver().window() && controller->userDriver().window()->isVisible());
        QCOMPARE(controller->userDriver().window()->heading(), QStringLiteral("Lumora 2.0 is available."));
    }

    // A scheduled finding held back is not shown, and appears once the
    // user turns to Lumora.
    void heldBackUpdateWaitsForTheUser()
    {
        Languages languages;
        ScriptedDelegate delegate;
        UpdateUserDriver driver(languages.l10n, &delegate, [] { return false; });
        UpdateCheckResult found{UpdateCheckResult::Kind::updateFound, UpdateCheckResult::Failure::none, false,
                                release(QStringLiteral("2.0"))};
        driver.show(found);
        QCOMPARE(delegate.asked, QList<bool>{false});
        QVERIFY(!driver.window());
        QVERIFY(driver.pendingUpdate().has_value());
        driver.applicationBecameActive();
        QVERIFY(driver.window() && driver.window()->isVisible());
        QCOMPARE(driver.window()->heading(), QStringLiteral("Lumora 2.0 is available."));
        QVERIFY(!driver.pendingUpdate().has_value());

        // A manual check asks nobody.
        driver.window()->hide();
        found.userInitiated = true;
        driver.show(found);
        QCOMPARE(delegate.asked.size(), 1);
        QVERIFY(driver.window()->isVisible());
    }

    // An open window follows a change of language.
    void openWindowFollowsTheLanguage()
    {
        Languages languages;
        LocalizationManager& l10n = languages.l10n;
        UpdateUserDriver driver(l10n, nullptr, [] { return true; });
        driver.show({UpdateCheckResult::Kind::upToDate, UpdateCheckResult::Failure::none, true, {}});
        QVERIFY(driver.window() && driver.window()->isVisible());
        const QString english = driver.window()->heading();
        l10n.setCurrent(AppLanguage::chinese);
        QTRY_COMPARE(driver.window()->heading(), l10n.localized(QStringLiteral("update.upToDate")));
        QVERIFY(driver.window()->heading() != english);
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
