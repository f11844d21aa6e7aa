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
    // Makes the controller on today's settings and asks it to check.
    Updater& check(bool manual = true)
    {
        controller = std::make_unique<UpdaterController>(false, nullptr, settings, l10n);
        finished = std::make_unique<QSignalSpy>(&controller->updater(), &Updater::checkFinished);
        if (manual)
            controller->updater().checkForUpdates();
        else
            controller->updater().checkForUpdatesInBackground();
        return controller->updater();
    }
    UpdateCheckResult last() const { return finished->last().at(0).value<UpdateCheckResult>(); }
    UpdateWindow* window() const { return controller->userDriver().window(); }

    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    FakeClock clock;
    LocalizationManager l10n{*store, {QStringLiteral("en-US")}};
    UpdaterSettings settings;
    std::unique_ptr<UpdaterController> controller;
    std::unique_ptr<QSignalSpy> finished;
};

}  // namespace

class TestUpdater : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<UpdateCheckResult>();
        http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)});
    }

    // A check against a real server on the loopback address, and what the
    // user reads afterwards: first what the feed comes to for version 1.9,
    // then the transfer, then who asked. Status 0: nobody listens; -1: a
    // TLS server whose certificate does not verify; -2: plain HTTP with no
    // exception for tests. Asked by 0: the schedule, 1: the user, 2: the
    // user during a scheduled check.
    void checkAgainstLoopbackServer_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");  // for a redirect, where it points
        QTest::addColumn<int>("askedBy");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("shown");  // the window's sentence; empty: no window

        // A scheduled check shows only a release.
        const auto row = [](const char* name, int status, const QByteArray& body, Kind kind,
                            Failure failure = Failure::none, const QString& display = {}, int askedBy = 1) {
            QString shown = QStringLiteral("Lumora could not check for updates; please try again later.");
            if (kind == Kind::updateFound)
                shown = QStringLiteral("Lumora %1 is available.").arg(display);
            else if (askedBy == 0)
                shown.clear();
            else if (kind == Kind::upToDate)
                shown = QStringLiteral("Lumora is up to date.");
            QTest::newRow(name) << status << body << askedBy << int(kind) << int(failure) << shown;
        };
        const auto one = [](const char* version, const QString& link = QStringLiteral("https://lumora.example/download")) {
            return feed({item(QString::fromLatin1(version), {}, link)});
        };
        const Kind found = Kind::updateFound, upToDate = Kind::upToDate, failed = Kind::failed;
        const QByteArray dawn = feed({item(QStringLiteral("1.10"), QStringLiteral("1.10 \"Dawn\""))});
        const QByteArray newer = one("2.0");
        const QByteArray same = one("1.9");

        row("1.10 is newer than 1.9", 200, dawn, found, Failure::none, QStringLiteral("1.10 \"Dawn\""));
        row("1.8.10 is older", 200, one("1.8.10"), upToDate);
        row("1.9.0 and 1.09 equal 1.9", 200, feed({item(QStringLiteral("1.9.0")), item(QStringLiteral("1.09"))}), upToDate);
        row("1.9.1 is newer, shown as its version", 200, one("1.9.1"), found, Failure::none, QStringLiteral("1.9.1"));
        row("newest of several, in any order", 200,
            feed({item(QStringLiteral("1.10"), QStringLiteral("a")), item(QStringLiteral("2.0.1"), QStringLiteral("b")),
                  item(QStringLiteral("2.0"), QStringLiteral("c"))}), found, Failure::none, QStringLiteral("b"));
        row("leading zeros and long numbers", 200, one("1.0000000000000000000000000000010"), found, Failure::none,
            QStringLiteral("1.0000000000000000000000000000010"));
        row("empty channel", 200, feed({}), upToDate);
        row("bad item beside a good one", 200, feed({item(QStringLiteral("2.x")), item(QStringLiteral("2.0"))}), found,
            Failure::none, QStringLiteral("2.0"));
        row("not XML", 200, "Service unavailable", failed, Failure::badFeed);
        row("truncated", 200, dawn.left(dawn.size() / 2), failed, Failure::badFeed);
        row("missing version", 200, feed({item(QString())}), failed, Failure::badFeed);
        row("version not a number", 200, one("2.0-beta"), failed, Failure::badFeed);
        row("version with an empty part", 200, one("2..0"), failed, Failure::badFeed);
        row("no download page", 200, one("2.0", QString()), failed, Failure::badFeed);
        row("download page over plain HTTP", 200, one("2.0", QStringLiteral("http://lumora.example/download")), failed,
            Failure::insecureAddress);
        row("document type declared", 200,
            "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaa\">]>" + dawn.mid(dawn.indexOf("<rss")), failed,
            Failure::badFeed);

        row("server error", 500, "oops", failed, Failure::httpStatus);
        row("not modified", 304, {}, failed, Failure::httpStatus);
        row("unreachable", 0, {}, failed, Failure::network);
        row("timeout", 408, newer, failed, Failure::timeout);  // 408: the server stays silent
        row("huge", 200, QByteArray(64 * 1024, 'x'), failed, Failure::tooLarge);
        row("redirect to plain HTTP", 302, "http://updates.lumora.example/appcast.xml", failed, Failure::insecureAddress);
        row("invalid certificate", -1, newer, failed, Failure::certificate);
        row("plain HTTP without the test exception", -2, newer, failed, Failure::insecureAddress);

        row("scheduled: update found is shown", 200, newer, found, Failure::none, QStringLiteral("2.0"), 0);
        row("scheduled: none found is silent", 200, same, upToDate, Failure::none, {}, 0);
        row("scheduled: failure is silent", 500, {}, failed, Failure::httpStatus, {}, 0);
        row("asked during a scheduled check: answered", 200, same, upToDate, Failure::none, {}, 2);
    }
    void checkAgainstLoopbackServer()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, askedBy);
        QFETCH(int, kind);
        QFETCH(int, failure);
        QFETCH(QString, shown);

        QVERIFY2(QSslSocket::supportsSsl(), "TLS backend missing");
        LoopbackHttpServer server(status == -1 ? LoopbackHttpServer::Transport::tls : LoopbackHttpServer::Transport::plain);
        const bool silent = status == 408;
        server.response.status = status > 0 && !silent ? status : 200;
        server.response.body = body;
        server.response.silent = silent;
        if (status == 302)
            server.response.headers.append({"Location", body});
        Rig rig(status == 0 ? QUrl(QStringLiteral("http://127.0.0.1:1/appcast.xml"))
                            : server.url(QStringLiteral("/appcast.xml")));
        rig.settings.allowLoopbackHttp = status != -2;  // HTTPS needs no exception
        if (silent)
            rig.settings.timeout = 300ms;
        Updater& updater = rig.check(askedBy == 1);
        if (askedBy == 2)
            updater.checkForUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(rig.finished->size(), 1, 5000);
        const UpdateCheckResult result = rig.last();
        QCOMPARE(int(result.kind), kind);
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(result.userInitiated, askedBy != 0);
        QCOMPARE(int(server.requests.size()), status > 0 ? 1 : 0);
        // TLS reaches the server and sends nothing over it; refused plain HTTP never connects.
        QCOMPARE(server.connections > 0, status != 0 && status != -2);
        QVERIFY(!updater.isChecking());

        UpdateWindow* window = rig.window();
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
        if (!window->isShowingUpdate())
            return;
        // The notes are the text of their HTML, entities and all.
        QCOMPARE(window->notes(), QStringLiteral("Starts faster & quieter."));
        // The download button opens the page, and fetches nothing itself.
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QTest::mouseClick(window->downloadButton(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://lumora.example/download"))});
        QVERIFY(!window->isVisible());
        QCOMPARE(int(server.requests.size()), 1);
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
    }

    // Without its network module Lumora still runs: a check the user asked
    // for says it failed, and one warning says why.
    void missingNetworkModuleFailsTheCheck()
    {
        LoopbackHttpServer server;
        http::useModuleAt({QStringLiteral("/nonexistent/lumora-network.so")});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^the network module could not be loaded \\(lumora-network.so is "
                                               "not installed\\); update checks and the install report are off$")));
        Updater& updater = rig.check();
        updater.checkForUpdates();  // the warning came once
        http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)});
        QCOMPARE(rig.finished->size(), 2);
        QCOMPARE(int(rig.last().failure), int(Failure::network));
        QVERIFY(!updater.isChecking());
        QCOMPARE(server.connections, 0);
    }

    // When the first scheduled check comes, from the stored last check.
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
        LoopbackHttpServer server;
        server.response.body = feed({item(QStringLiteral("1.9"))});
        Rig rig(server.url(QStringLiteral("/appcast.xml")));
        if (lastCheckAgo.isValid())
            rig.store->write(Updater::lastCheckKey, qint64(rig.clock.wallMs() - lastCheckAgo.toLongLong()));
        Updater updater(rig.settings);
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.startUpdater();
        QVERIFY(updater.isStarted());
        if (checksAtStart) {
            QTRY_COMPARE(finished.size(), 1);
            QCOMPARE(finished.last().at(0).value<UpdateCheckResult>().userInitiated, false);
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
};

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
