// The updater: reading and judging the feed, checks against loopback
// servers (plain and TLS), the daily schedule, and what the user is shown.
#include "services/http_client.h"
#include "services/network_policy.h"
#include "feed_fixture.h"
#include "localization/localization_manager.h"
#include "loopback_http_server.h"
#include "platform/defaults_store.h"
#include "services/update_user_driver.h"
#include "services/update_window.h"
#include "services/updater.h"
#include "services/updater_controller.h"
#include "support/fake_clock.h"
#include "support/test_env.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTest>

using namespace std::chrono_literals;
using Kind = UpdateCheckResult::Kind;
using Failure = UpdateCheckResult::Failure;
using FeedFixture::feed;
using FeedFixture::item;

Q_DECLARE_METATYPE(UpdateCheckResult)

namespace {
constexpr qint64 kHour = 3'600'000;

// Records what the download button hands to the desktop.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

// A config home, a clock and an updater pointed at a loopback server.
struct Rig {
    explicit Rig(const QUrl& feedUrl = {})
    {
        settings.feedUrl = feedUrl;
        settings.currentVersion = QStringLiteral("1.9");
        settings.timeout = 5s;  // rows about timeouts shorten it
        settings.maxFeedBytes = 4096;
        settings.allowLoopbackHttp = true;
        settings.firstCheckDelay = 0ms;
        settings.recheckInterval = 20ms;
        settings.store = store.get();
        settings.clock = &clock;
    }
    std::unique_ptr<UpdaterController> controller()
    {
        return std::make_unique<UpdaterController>(false, nullptr, settings, l10n);
    }

    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    FakeClock clock;
    LocalizationManager l10n{*store, {QStringLiteral("en-US")}};
    UpdaterSettings settings;
};

UpdateCheckResult lastResult(const QSignalSpy& spy)
{
    return spy.last().at(0).value<UpdateCheckResult>();
}
}  // namespace

class TestUpdater : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<UpdateCheckResult>();
        http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)});
    }

    // Parsing and version comparison together: what a feed body comes to.
    void feedIsJudged_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("display");

        const QString v19 = QStringLiteral("1.9");
        const int found = int(Kind::updateFound), none = int(Kind::upToDate), failed = int(Kind::failed);
        const int ok = int(Failure::none), bad = int(Failure::badFeed);
        const QByteArray good = feed({item(QStringLiteral("1.10"), QStringLiteral("1.10 \"Dawn\""))});

        QTest::newRow("1.10 is newer than 1.9") << good << v19 << found << ok << QStringLiteral("1.10 \"Dawn\"");
        QTest::newRow("1.9 is older than 1.10")
            << feed({item(v19)}) << QStringLiteral("1.10") << none << ok << QString();
        QTest::newRow("same version") << feed({item(v19)}) << v19 << none << ok << QString();
        QTest::newRow("1.9.0 equals 1.9") << feed({item(QStringLiteral("1.9.0"))}) << v19 << none << ok << QString();
        QTest::newRow("1.9.1 is newer than 1.9")
            << feed({item(QStringLiteral("1.9.1"))}) << v19 << found << ok << QStringLiteral("1.9.1");
        QTest::newRow("newest of several, in any order")
            << feed({item(QStringLiteral("1.10"), QStringLiteral("a")), item(QStringLiteral("2.0.1"), QStringLiteral("b")),
                     item(QStringLiteral("2.0"), QStringLiteral("c"))})
            << v19 << found << ok << QStringLiteral("b");
        QTest::newRow("leading zeros and long numbers")
            << feed({item(QStringLiteral("1.0000000000000000000000000000010"))}) << v19 << found << ok
            << QStringLiteral("1.0000000000000000000000000000010");
        QTest::newRow("empty channel") << feed({}) << v19 << none << ok << QString();
        QTest::newRow("bad item beside a good one")
            << feed({item(QStringLiteral("2.x")), item(QStringLiteral("2.0"))}) << v19 << found << ok
            << QStringLiteral("2.0");
        QTest::newRow("not XML") << QByteArray("Service unavailable") << v19 << failed << bad << QString();
        QTest::newRow("truncated") << good.left(good.size() / 2) << v19 << failed << bad << QString();
        QTest::newRow("empty body") << QByteArray() << v19 << failed << bad << QString();
        QTest::newRow("huge") << feed({item(QStringLiteral("2.0"), {}, QStringLiteral("https://lumora.example/d"),
                                            QString(5000, QLatin1Char('x')))})
                              << v19 << failed << int(Failure::tooLarge) << QString();
        QTest::newRow("missing version") << feed({item(QString())}) << v19 << failed << bad << QString();
        QTest::newRow("version not a number")
            << feed({item(QStringLiteral("2.0-beta"))}) << v19 << failed << bad << QString();
        QTest::newRow("version with an empty part")
            << feed({item(QStringLiteral("2..0"))}) << v19 << failed << bad << QString();
        QTest::newRow("no download page") << feed({item(QStringLiteral("2.0"), {}, QString())}) << v19 << failed
                                          << bad << QString();
        QTest::newRow("download page over plain HTTP")
            << feed({item(QStringLiteral("2.0"), {}, QStringLiteral("http://lumora.example/download"))}) << v19
            << failed << int(Failure::insecureAddress) << QString();
        QTest::newRow("document type declared")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaa\">]>") + good.mid(good.indexOf("<rss"))
            << v19 << failed << bad << QString();
    }
    void feedIsJudged()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, current);
        QFETCH(int, kind);
        QFETCH(int, failure);
        QFETCH(QString, display);
        UpdaterSettings settings;
        settings.currentVersion = current;
        settings.maxFeedBytes = 4096;
        const UpdateCheckResult result = Updater::evaluate(body, settings);
        QCOMPARE(int(result.kind), kind);
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(result.update.displayVersionString, display);
        if (result.kind == Kind::updateFound)
            QCOMPARE(result.update.downloadLink.scheme(), QStringLiteral("https"));
    }

    void releaseNotesAreText()
    {
        UpdaterSettings settings;
        settings.currentVersion = QStringLiteral("1.0");
        const auto notes = QStringLiteral("&lt;h2&gt;New&lt;/h2&gt;&lt;img src=\"file:///etc/passwd\"&gt;"
                                          "&lt;p&gt;Quieter &amp;amp; faster.&lt;/p&gt;");
        const UpdateCheckResult result =
            Updater::evaluate(feed({item(QStringLiteral("2.0"), {}, QStringLiteral("https://l.example/d"), notes)}),
                              settings);
        QCOMPARE(int(result.kind), int(Kind::updateFound));
        QVERIFY(!result.update.releaseNotes.contains(QLatin1Char('<')));
        QVERIFY(result.update.releaseNotes.contains(QStringLiteral("Quieter & faster.")));
        QCOMPARE(result.update.releaseNotesLink, QUrl(QStringLiteral("https://lumora.example/notes")));
        // The display version falls back to the version.
        QCOMPARE(result.update.displayVersionString, QStringLiteral("2.0"));
    }

    // A check against a real server on the loopback address, and what the
    // user reads afterwards.
    void checkAgainstLoopbackServer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("shown");  // the window's sentence; empty: no window

        const QByteArray newer = feed({item(QStringLiteral("2.0"), QStringLiteral("2.0"))});
        const QByteArray same = feed({item(QStringLiteral("1.9"))});
        const QString failedText = QStringLiteral("Lumora could not check for updates; please try again later.");
        const int failed = int(Kind::failed);

        QTest::newRow("update found") << 200 << newer << QByteArray() << false << true << int(Kind::updateFound)
                                      << int(Failure::none) << QStringLiteral("Lumora 2.0 is available.");
        QTest::newRow("none found") << 200 << same << QByteArray() << false << true << int(Kind::upToDate)
                                    << int(Failure::none) << QStringLiteral("Lumora is up to date.");
        QTest::newRow("server error") << 500 << QByteArray("oops") << QByteArray() << false << true << failed
                                      << int(Failure::httpStatus) << failedText;
        QTest::newRow("unreachable") << 0 << QByteArray() << QByteArray() << false << true << failed
                                     << int(Failure::network) << failedText;
        QTest::newRow("timeout") << 200 << newer << QByteArray() << true << true << failed
                                 << int(Failure::timeout) << failedText;
        QTest::newRow("huge") << 200 << QByteArray(64 * 1024, 'x') << QByteArray() << false << true << failed
                              << int(Failure::tooLarge) << failedText;
        QTest::newRow("redirect to plain HTTP")
            << 302 << QByteArray() << QByteArray("http://updates.lumora.example/appcast.xml") << false << true
            << failed << int(Failure::insecureAddress) << failedText;
        QTest::newRow("scheduled: update found is shown")
            << 200 << newer << QByteArray() << false << false << int(Kind::updateFound) << int(Failure::none)
            << QStringLiteral("Lumora 2.0 is available.");
        QTest::newRow("scheduled: none found is silent") << 200 << same << QByteArray() << false << false
                                                         << int(Kind::upToDate) << int(Failure::none) << QString();
        QTest::newRow("scheduled: failure is silent") << 500 << QByteArray() << QByteArray() << false << false
                                                      << failed << int(Failure::httpStatus) << QString();
    }
    void checkAgainstLoopbackServer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, location);
        QFETCH(bool, silent);
        QFETCH(bool, manual);
        QFETCH(int, kind);
        QFETCH(int, failure);
        QFETCH(QString, shown);

        LoopbackHttpServer server;
        QVERIFY(server.isListening());
        server.response.status = status;
        server.response.body = body;
        server.response.silent = silent;
        if (!location.isEmpty())
            server.response.headers.append({"Location", location});
        // Status 0: nobody listens at the address.
        Rig rig(status == 0 ? QUrl(QStringLiteral("http://127.0.0.1:1/appcast.xml"))
                            : server.url(QStringLiteral("/appcast.xml")));
        if (silent)
            rig.settings.timeout = 300ms;
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        if (manual)
            controller->updater().checkForUpdates();
        else
            controller->updater().checkForUpdatesInBackground();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        const UpdateCheckResult result = lastResult(finished);
        QCOMPARE(int(result.kind), kind);
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(result.userInitiated, manual);
        QCOMPARE(int(server.requests.size()), status == 0 ? 0 : 1);
        QVERIFY(!controller->updater().isChecking());

        UpdateWindow* window = controller->userDriver().window();
        if (shown.isEmpty()) {
            QVERIFY(!window || !window->isVisible());
            return;
        }
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->heading(), shown);
        // For a person to look at.
        QString tag = QString::fromLatin1(QTest::currentDataTag());
        tag.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        window->grab().save(QStringLiteral("%1/update-window-%2.png").arg(testOutputDir(), tag));
        QCOMPARE(window->isShowingUpdate(), kind == int(Kind::updateFound));
        QCOMPARE(window->downloadButton()->isVisible(), window->isShowingUpdate());
        if (window->isShowingUpdate())
            QCOMPARE(window->notes(), QStringLiteral("Starts faster."));
    }

    void invalidCertificateIsRefused()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "TLS backend missing");
        LoopbackHttpServer server(LoopbackHttpServer::Transport::tls);
        QVERIFY(server.isListening());
        server.response.body = feed({item(QStringLiteral("2.0"))});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        rig.settings.allowLoopbackHttp = false;  // HTTPS needs no exception
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        controller->updater().checkForUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(int(lastResult(finished).kind), int(Kind::failed));
        QCOMPARE(int(lastResult(finished).failure), int(Failure::certificate));
        QVERIFY(server.connections >= 1);  // it did reach the server...
        QCOMPARE(int(server.requests.size()), 0);  // ...and sent nothing over it
        QCOMPARE(controller->userDriver().window()->heading(),
                 QStringLiteral("Lumora could not check for updates; please try again later."));
    }

    void plainHttpOnlyForLoopbackInTests()
    {
        LoopbackHttpServer server;
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        rig.settings.allowLoopbackHttp = false;
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        controller->updater().checkForUpdates();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(int(lastResult(finished).failure), int(Failure::insecureAddress));
        QCOMPARE(server.connections, 0);
    }

    // Plain HTTP is let through only to this machine, however it is written.
    void loopbackAddressesAreRecognised_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("allowed");
        for (const char* url : {"http://127.0.0.1/a", "http://127.1.2.3:8080/a", "http://127.1/a", "http://[::1]/a",
                                "http://[::ffff:127.0.0.1]/a", "http://localhost/a", "http://LocalHost:9/a"})
            QTest::newRow(url) << QString::fromLatin1(url) << true;
        for (const char* url : {"http://128.0.0.1/a", "http://[::2]/a", "http://[::ffff:10.0.0.1]/a",
                                "http://example.com/a", "http://127.0.0.1.example.com/a", "http:///a", "http://0/a"})
            QTest::newRow(url) << QString::fromLatin1(url) << false;
    }
    void loopbackAddressesAreRecognised()
    {
        QFETCH(QString, url);
        QFETCH(bool, allowed);
        QCOMPARE(NetworkPolicy::isAllowed(QUrl(url), true), allowed);
        QVERIFY(!NetworkPolicy::isAllowed(QUrl(url), false));
        QVERIFY(NetworkPolicy::isAllowed(QUrl(QString(url).replace(QLatin1String("http:"), QLatin1String("https:"))),
                                         false) || url.startsWith(QLatin1String("http:///")));
    }

    // Without its network module Lumora still runs: a check the user asked
    // for says it failed, and one warning says why.
    void missingNetworkModuleFailsTheCheck()
    {
        LoopbackHttpServer server;
        http::useModuleAt({QStringLiteral("/nonexistent/lumora-network.so")});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^the network module could not be loaded \\(lumora-network.so is "
                                               "not installed\\); update checks and the install report are off$")));
        controller->updater().checkForUpdates();
        controller->updater().checkForUpdates();  // the warning came once
        http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)});
        QCOMPARE(finished.size(), 2);
        QCOMPARE(int(lastResult(finished).failure), int(Failure::network));
        QVERIFY(!controller->updater().isChecking());
        QCOMPARE(server.connections, 0);
    }

    void downloadButtonOpensThePageOnly()
    {
        LoopbackHttpServer server;
        server.response.body = feed({item(QStringLiteral("2.0"))});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        controller->updater().checkForUpdates();
        QTRY_COMPARE(finished.size(), 1);
        UpdateWindow* window = controller->userDriver().window();
        QTest::mouseClick(window->downloadButton(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://lumora.example/download"))});
        QVERIFY(!window->isVisible());
        QCOMPARE(int(server.requests.size()), 1);  // the feed, nothing else
    }

    void withoutFeedAddressNothingIsChecked()
    {
        Rig rig;
        auto controller = rig.controller();
        controller->startUpdater();
        QVERIFY(!controller->updater().isStarted());
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        controller->updater().checkForUpdates();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(int(lastResult(finished).kind), int(Kind::notConfigured));
        QCOMPARE(controller->userDriver().window()->heading(),
                 QStringLiteral("Updates are not configured for this build of Lumora."));
        QVERIFY(!rig.store->contains(Updater::lastCheckKey));
    }

    // When the first scheduled check comes, from the stored last check.
    void scheduleFollowsLastCheck_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<qint64>("lastCheckAgo");
        QTest::addColumn<bool>("checksAtStart");
        QTest::newRow("never checked") << false << qint64(0) << true;
        QTest::newRow("an hour ago") << true << kHour << false;
        QTest::newRow("yesterday") << true << 25 * kHour << true;
        QTest::newRow("clock set back by ten days") << true << -240 * kHour << false;
    }
    void scheduleFollowsLastCheck()
    {
        QFETCH(bool, stored);
        QFETCH(qint64, lastCheckAgo);
        QFETCH(bool, checksAtStart);
        LoopbackHttpServer server;
        server.response.body = feed({item(QStringLiteral("1.9"))});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        if (stored)
            rig.store->write(Updater::lastCheckKey, qint64(rig.clock.wallMs() - lastCheckAgo));
        Updater updater(rig.settings);
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.startUpdater();
        QVERIFY(updater.isStarted());
        if (checksAtStart) {
            QTRY_COMPARE(finished.size(), 1);
            QCOMPARE(lastResult(finished).userInitiated, false);
        } else {
            QTest::qWait(150);
            QCOMPARE(finished.size(), 0);
        }
        // A day later there is always exactly one more check.
        const int before = int(finished.size());
        rig.clock.advance(24 * kHour + 1);
        QTRY_COMPARE(finished.size(), before + 1);
        QTest::qWait(100);
        QCOMPARE(finished.size(), before + 1);
        QCOMPARE(rig.store->readInt(Updater::lastCheckKey, -1), qint64(rig.clock.wallMs()));
    }

    void manualCheckDuringScheduledOneIsAnswered()
    {
        LoopbackHttpServer server;
        server.response.body = feed({item(QStringLiteral("1.9"))});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        auto controller = rig.controller();
        QSignalSpy finished(&controller->updater(), &Updater::checkFinished);
        controller->updater().checkForUpdatesInBackground();
        controller->updater().checkForUpdates();
        QTRY_COMPARE(finished.size(), 1);
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(int(server.requests.size()), 1);
        QVERIFY(lastResult(finished).userInitiated);
        QCOMPARE(controller->userDriver().window()->heading(), QStringLiteral("Lumora is up to date."));
    }
};

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
