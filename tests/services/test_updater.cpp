// The updater: judging the feed, checks against loopback servers (plain and
// TLS), the daily schedule, what the user is shown, and the update service
// with its quiet notice on a private bus and the menus that reach it.
#include "app/shell_rig.h"
#include "loopback_http_server.h"
#include "services/appcast.h"
#include "services/http_client.h"
#include "services/network_policy.h"
#include "services/update_service.h"
#include "services/update_window.h"
#include "services/updater.h"
#include "services/updater_controller.h"
#include "support/notification_rig.h"
#include "views/settings_option_row.h"
#include "views/settings_view.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Kind = UpdateCheckResult::Kind;
using Failure = UpdateCheckResult::Failure;

namespace {
constexpr qint64 kHour = 3'600'000;

// A feed with one item per version, each with HTML notes and the display
// version and download page given (an empty element counts as none).
QByteArray feed(const QByteArrayList& versions, const QByteArray& display = {},
                const QByteArray& link = "https://lumora.example/download")
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" xmlns:lumora=\"" +
                     Appcast::xmlNamespace.toUtf8() + "\"><channel>";
    for (const QByteArray& version : versions)
        xml += "<item><title>Lumora</title><lumora:version>" + version + "</lumora:version><lumora:displayVersion>" +
               display + "</lumora:displayVersion><lumora:downloadLink>" + link + "</lumora:downloadLink><description>"
               "&lt;p&gt;Starts &lt;b&gt;faster&lt;/b&gt; &amp;amp; quieter.&lt;/p&gt;</description></item>\n";
    return xml + "</channel></rss>\n";
}

// Stands in for the browser the download button hands its page to.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl& url) { opened.append(url); }
};

// A config home, a clock, languages and an updater of version 1.9 pointed at a loopback server.
struct Rig {
    explicit Rig(const QUrl& feedUrl, const QString& systemLanguage = QStringLiteral("en-US"))
        : l10n(*store, {systemLanguage}),
          settings{.feedUrl = feedUrl, .currentVersion = QStringLiteral("1.9"), .firstCheckDelay = 0ms,
                   .recheckInterval = 20ms, .timeout = 5s, .maxFeedBytes = 4096, .allowLoopbackHttp = true,
                   .store = store.get(), .clock = &clock}
    {
    }
    // The controller on today's settings, started as at launch or not.
    Updater& make(bool starting)
    {
        controller = std::make_unique<UpdaterController>(starting, nullptr, settings, l10n);
        finished = std::make_unique<QSignalSpy>(&controller->updater(), &Updater::checkFinished);
        return controller->updater();
    }

    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    FakeClock clock;
    LocalizationManager l10n;
    UpdaterSettings settings;
    std::unique_ptr<UpdaterController> controller;
    std::unique_ptr<QSignalSpy> finished;
};
}  // namespace

class TestUpdater : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)}); }

    // A check against a real server on the loopback address, and what the
    // user reads afterwards. Status 0: nobody listens; -1: TLS with a
    // certificate that does not verify; -2: plain HTTP without the exception
    // for tests; -3: no network module. Display: the release found, if any.
    // Asked by 0: the schedule, 1: the user, 2: the user during a scheduled check.
    void checkAgainstLoopbackServer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");  // for a redirect, where it points
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("askedBy");
        const auto row = [](const char* name, int status, const QByteArray& body, Failure failure,
                            const char* display = "", int askedBy = 1) {
            QTest::newRow(name) << status << body << int(failure) << QString::fromUtf8(display) << askedBy;
        };
        const Failure none = Failure::none, badFeed = Failure::badFeed, insecure = Failure::insecureAddress;
        const QByteArray dawn = feed({"1.10"}, "1.10 \"Dawn\"");

        row("1.10 is newer than 1.9", 200, dawn, none, "1.10 \"Dawn\"");
        row("1.8.10 is older", 200, feed({"1.8.10"}), none);
        row("1.9.0 and 1.09 equal 1.9", 200, feed({"1.9.0", "1.09"}), none);
        row("newest of several, in any order", 200, feed({"2.0", "2.0.1", "1.10"}), none, "2.0.1");
        row("leading zeros and long numbers", 200, feed({"1.0000000000000000000000000000010"}), none,
            "1.0000000000000000000000000000010");
        row("bad item beside a good one", 200, feed({"2.x", "2.0"}), none, "2.0");
        row("not XML", 200, "Service unavailable", badFeed);
        row("truncated", 200, dawn.left(dawn.size() / 2), badFeed);
        row("empty version", 200, feed({""}), badFeed);
        row("version not a number", 200, feed({"2.0-beta"}), badFeed);
        row("version with an empty part", 200, feed({"2..0"}), badFeed);
        row("no download page", 200, feed({"2.0"}, {}, {}), badFeed);
        row("download page over plain HTTP", 200, feed({"2.0"}, {}, "http://lumora.example/download"), insecure);
        row("document type declared", 200,
            "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaa\">]>" + dawn.mid(dawn.indexOf("<rss")), badFeed);

        row("server error", 500, "oops", Failure::httpStatus);
        row("not modified", 304, {}, Failure::httpStatus);
        row("unreachable", 0, {}, Failure::network);
        row("no network module", -3, {}, Failure::network);
        row("timeout", 408, feed({"2.0"}), Failure::timeout);  // 408: the server stays silent
        row("huge", 200, QByteArray(64 * 1024, 'x'), Failure::tooLarge);
        row("redirect to plain HTTP", 302, "http://updates.lumora.example/appcast.xml", insecure);
        row("invalid certificate", -1, feed({"2.0"}), Failure::certificate);
        row("plain HTTP without the test exception", -2, feed({"2.0"}), insecure);

        row("scheduled: update found is shown", 200, feed({"2.0"}), none, "2.0", 0);
        row("scheduled: none found is silent", 200, feed({"1.9"}), none, "", 0);
        row("scheduled: failure is silent", 500, {}, Failure::httpStatus, "", 0);
        row("asked during a scheduled check: answered", 200, feed({"1.9"}), none, "", 2);
    }
    void checkAgainstLoopbackServer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, failure);
        QFETCH(QString, display);
        QFETCH(int, askedBy);
        LoopbackHttpServer server(status == -1);
        server.status = status > 0 && status != 408 ? status : 200;
        server.body = body;
        server.silent = status == 408;
        server.location = status == 302 ? body : QByteArray();
        Rig rig(status ? server.url(QStringLiteral("/appcast.xml")) : QUrl(QStringLiteral("http://127.0.0.1:1/a")));
        rig.settings.allowLoopbackHttp = status != -2;  // HTTPS needs no exception
        if (server.silent)
            rig.settings.timeout = 300ms;
        if (status == -3) {
            // Lumora still runs without it; the check fails and one warning says why.
            http::useModuleAt({QStringLiteral("/nonexistent/lumora-network.so")});
            QTest::ignoreMessage(QtWarningMsg, "the network module could not be loaded (lumora-network.so is not "
                                               "installed); update checks and the install report are off");
        }
        Updater& updater = rig.make(false);
        if (askedBy != 1)
            updater.checkForUpdatesInBackground();
        if (askedBy != 0)
            updater.checkForUpdates();
        QTRY_COMPARE(rig.finished->size(), 1);
        http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)});
        const auto result = rig.finished->last().at(0).value<UpdateCheckResult>();
        const bool found = !display.isEmpty();
        QCOMPARE(int(result.kind), int(failure ? Kind::failed : found ? Kind::updateFound : Kind::upToDate));
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(int(server.requests.size()), int(status > 0));

        // A scheduled check shows only a release.
        UpdateWindow* window = rig.controller->userDriver().window();
        QCOMPARE(window && window->isVisible(), found || askedBy != 0);
        if (!window || !window->isVisible())
            return;
        QCOMPARE(window->heading(), found     ? QStringLiteral("Lumora %1 is available.").arg(display)
                                    : failure ? QStringLiteral("Lumora could not check for updates; please try again later.")
                                              : QStringLiteral("Lumora is up to date."));
        // For a person to look at.
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression("\\W+"), "-");
        window->grab().save(testOutputDir() + "/update-window-" + name + ".png");
        QCOMPARE(window->downloadButton()->isVisible(), found);
        if (!found)
            return;
        // The notes are the text of their HTML, entities and all.
        QCOMPARE(window->notes(), QStringLiteral("Starts faster & quieter."));
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QTest::mouseClick(window->downloadButton(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://lumora.example/download"))});
        QVERIFY(!window->isVisible());
    }

    // Plain HTTP is let through only to this machine, however it is written.
    void onlyLoopbackTakesPlainHttp()
    {
        for (const char* url : {"http://127.0.0.1/a", "http://127.1.2.3:8080/a", "http://127.1/a", "http://[::1]/a",
                                "http://[::ffff:127.0.0.1]/a", "http://LocalHost:9/a"})
            QVERIFY2(NetworkPolicy::isAllowed(QUrl(QString::fromLatin1(url)), true), url);
        for (const char* url : {"http://128.0.0.1/a", "http://[::2]/a", "http://[::ffff:10.0.0.1]/a", "http://0/a",
                                "http://example.com/a", "http://127.0.0.1.example.com/a", "http:///a"})
            QVERIFY2(!NetworkPolicy::isAllowed(QUrl(QString::fromLatin1(url)), true), url);
    }

    // The first scheduled check comes a day after the stored last one, at
    // once if there is none, then one a day; a clock set back counts the day
    // from now, not from a time that may lie years ahead.
    void scheduleFollowsLastCheck_data()
    {
        QTest::addColumn<QVariant>("lastCheckAgo");  // none: never checked
        QTest::addColumn<bool>("checksAtStart");
        QTest::newRow("never checked") << QVariant() << true;
        QTest::newRow("an hour ago") << QVariant(kHour) << false;
        QTest::newRow("yesterday") << QVariant(25 * kHour) << true;
        QTest::newRow("clock set back by ten days") << QVariant(-240 * kHour) << false;
    }
    void scheduleFollowsLastCheck()
    {
        QFETCH(QVariant, lastCheckAgo);
        QFETCH(bool, checksAtStart);
        Rig rig(QUrl(QStringLiteral("http://127.0.0.1:1/a")));  // whatever a check finds
        if (lastCheckAgo.isValid())
            rig.store->write(Updater::lastCheckKey, rig.clock.wallMs() - lastCheckAgo.toLongLong());
        rig.make(true);
        if (checksAtStart)
            QTRY_COMPARE(rig.finished->size(), 1);
        else
            QTest::qWait(150);
        QCOMPARE(rig.finished->size(), int(checksAtStart));
        // A day later there is always exactly one more check, and it is recorded.
        rig.clock.advance(24 * kHour + 1);
        QTRY_COMPARE(rig.finished->size(), int(checksAtStart) + 1);
        QTest::qWait(100);
        QCOMPARE(rig.finished->size(), int(checksAtStart) + 1);
        QVERIFY(!rig.finished->last().at(0).value<UpdateCheckResult>().userInitiated);
        QCOMPARE(rig.store->readInt(Updater::lastCheckKey, -1), qint64(rig.clock.wallMs()));
    }

    // A scheduled finding end to end: the starting service finds a release
    // while the user is elsewhere and posts a quiet notice in the desktop's
    // language, not Lumora's own; a later finding replaces it. The release
    // shows once the user comes back, by the notice or by turning to Lumora,
    // and follows a change of language; with Lumora in front it shows at once.
    void backgroundFindingEndToEnd()
    {
        NotificationRig bus;
        const std::vector<NotificationServer::Received>& notices = bus.server.received;
        LoopbackHttpServer server;
        server.body = feed({"2.0"}, "2.1 (beta)");
        Rig rig(server.url(QStringLiteral("/appcast.xml")), QStringLiteral("zh-CN"));
        rig.l10n.setCurrent(AppLanguage::english);
        UpdateService service(bus.helper, rig.l10n, [&rig] { return rig.settings; }, [] { return false; });
        Updater& updater = service.controller()->updater();
        UpdateUserDriver& driver = service.controller()->userDriver();
        // Each scheduled finding posts a notice in place of the last, and shows nothing yet.
        const auto noticeFor = [&](size_t n) {
            if (n > 1)
                updater.checkForUpdatesInBackground();
            const bool posted = QTest::qWaitFor([&] { return notices.size() == n; });
            QTest::qWait(50);  // the server's id travels back
            return posted && notices.back().replacesId == (n > 1 ? notices[0].id : 0u) &&
                   !(driver.window() && driver.window()->isVisible());
        };
        QVERIFY(noticeFor(1));
        QCOMPARE(notices[0].summary, QStringLiteral("Lumora 有可用更新"));
        QCOMPARE(notices[0].body, QStringLiteral("版本 2.1 (beta) 已可安装。"));
        QVERIFY(!notices[0].hints.contains(QStringLiteral("sound-name")) &&
                notices[0].hints.value(QStringLiteral("suppress-sound")).toBool());
        QVERIFY(noticeFor(2));
        bus.server.invokeAction(notices[1].id, QStringLiteral("default"));
        QTRY_VERIFY(driver.window() && driver.window()->isVisible());
        QCOMPARE(driver.window()->heading(), QStringLiteral("Lumora 2.1 (beta) is available."));
        driver.window()->hide();
        QVERIFY(noticeFor(3));
        driver.applicationBecameActive();
        QTRY_VERIFY(driver.window()->isVisible());
        rig.l10n.setCurrent(AppLanguage::chinese);
        QTRY_COMPARE(driver.window()->heading(), QStringLiteral("Lumora 2.1 (beta) 现已推出。"));
        // Its picture in the dark look, for a person to look at.
        QApplication::setPalette(darkPalette());
        QTRY_VERIFY(viewstyle::isDark(driver.window()->palette()));
        QVERIFY(driver.window()->grab().save(testOutputDir() + QStringLiteral("/update-window-chinese-dark.png")));
        QApplication::setPalette(lightPalette());

        QVERIFY(service.standardUserDriverShouldHandleShowingScheduledUpdate({}, true));
        driver.window()->hide();
        updater.checkForUpdates();
        QTRY_VERIFY(driver.window()->isVisible());
        QTest::qWait(100);
        QCOMPARE(notices.size(), size_t(3));
    }

    // Both menus and the settings row reach the one shared updater. This
    // build names no feed (a test never goes on the network), so each check
    // says so.
    void menusAndSettingsReachTheSharedUpdater()
    {
        ShellRig rig;
        rig.launch();
        UpdaterController* controller = UpdateService::shared().controller();
        QSignalSpy started(&controller->updater(), &Updater::checkStarted);
        const QString text = rig.l10n.localized(QStringLiteral("menu.checkUpdate"));
        for (QMenu* menu : {rig.topMenu(0), rig.delegate().statusItem()->menu()})
            for (QAction* item : menu->actions())
                if (item->text() == text)
                    item->trigger();
        SettingsView panel(rig.timer, rig.l10n, [] {});
        QTest::mouseClick(panel.updateRow(), Qt::LeftButton);
        QCOMPARE(started.size(), 3);
        for (const auto& call : started)
            QVERIFY(call.at(0).toBool());
        UpdateWindow* window = controller->userDriver().window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->heading(), LocalizationManager::shared().localized(QStringLiteral("update.notConfigured")));
    }
};

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
