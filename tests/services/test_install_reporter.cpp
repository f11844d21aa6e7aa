// The install report: the machine fingerprint and the request a loopback
// server receives. Expected hashes were computed with sha256sum, e.g.
//   printf 'kvx|0123456789abcdef0123456789abcdef' | sha256sum
#include "services/http_client.h"
#include "build_config.h"
#include "loopback_http_server.h"
#include "services/install_reporter.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kIdA = QStringLiteral("0123456789abcdef0123456789abcdef");
// sha256("kvx|0123456789abcdef0123456789abcdef")
const QString kHashA = QStringLiteral("0231ea7b5b1d5843de3724b3e92a08b72184f1722e5e6737e6ff7a0c7eef2bab");
// sha256("qorvimal|build-host|ada")
const QString kHashFallback = QStringLiteral("05adc2c691610f385360ace0046adc900497b6048771db10b5c17f2125cab4f3");

const QByteArray kMissing = "<missing>";
const QByteArray kDirectory = "<directory>";

// Writes each entry as one machine-id candidate and returns their paths.
QStringList candidates(const QTemporaryDir& dir, const QByteArrayList& contents)
{
    QStringList paths;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("machine-id-%1").arg(i));
        if (contents[i] == kDirectory) {
            QDir().mkpath(path);
        } else if (contents[i] != kMissing) {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write(contents[i]);
        }
        paths << path;
    }
    return paths;
}

InstallReporter::Options testOptions(const LoopbackHttpServer& server, const QStringList& files)
{
    InstallReporter::Options o = InstallReporter::defaultOptions();
    const QUrl base = server.url(QStringLiteral("/"));
    o.scheme = QStringLiteral("http");
    o.allowLoopbackHttp = true;
    o.host = QStringLiteral("127.0.0.1:%1").arg(base.port());
    o.machineIdFiles = files;
    o.hostName = QStringLiteral("build-host");
    o.loginName = QStringLiteral("ada");
    return o;
}
}  // namespace

class TestInstallReporter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)}); }

    void fingerprint_data()
    {
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QString>("expected");
        const QByteArray a = kIdA.toLatin1();
        QTest::newRow("machine-id") << QByteArrayList{a + '\n'} << kHashA;
        QTest::newRow("machine-id without line ending") << QByteArrayList{a} << kHashA;
        QTest::newRow("first file wins") << QByteArrayList{a + '\n', "fedcba9876543210fedcba9876543210\n"} << kHashA;
        QTest::newRow("second file when the first is missing") << QByteArrayList{kMissing, a + '\n'} << kHashA;
        QTest::newRow("second file when the first is empty") << QByteArrayList{"", a + '\n'} << kHashA;
        QTest::newRow("no file") << QByteArrayList{kMissing, kMissing} << kHashFallback;
        QTest::newRow("unreadable") << QByteArrayList{kDirectory} << kHashFallback;
        QTest::newRow("not yet set up") << QByteArrayList{"uninitialized\n"} << kHashFallback;
        QTest::newRow("too short") << QByteArrayList{a.left(31) + '\n'} << kHashFallback;
        QTest::newRow("too long") << QByteArrayList{a + "0\n"} << kHashFallback;
        QTest::newRow("two line endings") << QByteArrayList{a + "\n\n"} << kHashFallback;
        QTest::newRow("not hexadecimal") << QByteArrayList{"0123456789abcdef0123456789abcdeg\n"} << kHashFallback;
    }
    void fingerprint()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        InstallReporter::Options o;
        o.machineIdFiles = candidates(dir, files);
        o.hostName = QStringLiteral("build-host");
        o.loginName = QStringLiteral("ada");
        QCOMPARE(InstallReporter::fingerprint(o), expected);
    }

    void endpoint_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        const QString https = QStringLiteral("https");
        QTest::newRow("no host") << https << QString() << QString();
        QTest::newRow("host") << https << QStringLiteral("report.lumora.example")
                              << QStringLiteral("https://report.lumora.example/api/install/report");
        QTest::newRow("host and port") << https << QStringLiteral("report.lumora.example:8443")
                                       << QStringLiteral("https://report.lumora.example:8443/api/install/report");
        QTest::newRow("a path smuggled in") << https << QStringLiteral("evil.example/x?") << QString();
        QTest::newRow("an account smuggled in") << https << QStringLiteral("me@evil.example") << QString();
        QTest::newRow("plain HTTP elsewhere") << QStringLiteral("http") << QStringLiteral("report.lumora.example")
                                              << QString();
        QTest::newRow("plain HTTP to loopback (tests)")
            << QStringLiteral("http") << QStringLiteral("127.0.0.1:8080")
            << QStringLiteral("http://127.0.0.1:8080/api/install/report");
    }
    void endpoint()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, host);
        QFETCH(QString, expected);
        InstallReporter::Options o;
        o.scheme = scheme;
        o.host = host;
        QCOMPARE(InstallReporter::endpoint(o).toString(), expected.contains(QLatin1String("127.0.0.1")) ? QString() : expected);
        // The exception for loopback exists for test servers only.
        o.allowLoopbackHttp = true;
        QCOMPARE(InstallReporter::endpoint(o).toString(), expected);
    }

    void appVersion()
    {
        QCOMPARE(InstallReporter::appVersion(QStringLiteral("1.2"), QStringLiteral("34")), QStringLiteral("1.2(34)"));
        QCOMPARE(InstallReporter::appVersion(QStringLiteral("1.0"), QString()), QStringLiteral("1.0(0)"));
        QCOMPARE(InstallReporter::appVersion(QString(), QString()), QStringLiteral("0(0)"));
    }

    // The report as the server sees it.
    void reportReachesTheServer()
    {
        LoopbackHttpServer server;
        server.response.status = 500;  // whatever it answers is ignored
        QTemporaryDir dir;
        InstallReporter::report(testOptions(server, candidates(dir, {kMissing, kIdA.toLatin1() + '\n'})));
        QTRY_COMPARE(int(server.requests.size()), 1);
        const auto& r = server.requests[0];
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.target, QByteArray("/api/install/report"));
        QCOMPARE(r.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(r.headers.value("accept"), QByteArray("application/json"));

        QJsonParseError error{};
        const QJsonObject body = QJsonDocument::fromJson(r.body, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY2(!r.body.contains('\n') && !r.body.contains(": "), r.body.constData());  // compact
        QCOMPARE(body.size(), 5);
        QCOMPARE(body.value(QStringLiteral("installId")).toString(), kHashA);
        QCOMPARE(body.value(QStringLiteral("appKey")).toString(), QStringLiteral("lumora"));
        QCOMPARE(body.value(QStringLiteral("platform")).toString(), QStringLiteral("Linux"));
        QCOMPARE(body.value(QStringLiteral("version")).toString(),
                 QStringLiteral("%1(%2)").arg(QString::fromUtf8(lumora::build::kVersion),
                                              QString::fromUtf8(lumora::build::kBuildNumber)));
        QCOMPARE(body.value(QStringLiteral("lang")).toString(), QLocale::system().name());
        // Only the hash leaves the machine.
        QVERIFY(!r.body.contains(kIdA.toLatin1()));
        QVERIFY(!r.body.contains("build-host"));
        QTest::qWait(50);
        QCOMPARE(int(server.requests.size()), 1);  // no retry
    }

    // Without a host, or with a body that cannot be written as JSON text
    // (half a surrogate pair), nothing goes out.
    void nothingIsSent()
    {
        LoopbackHttpServer server;
        for (const bool noHost : {true, false}) {
            InstallReporter::Options o = testOptions(server, {});
            if (noHost)
                o.host.clear();
            o.localeName = noHost ? QStringLiteral("en_US") : QString(QChar(0xD800));
            InstallReporter::report(o);
        }
        QTest::qWait(200);
        QCOMPARE(server.connections, 0);
    }
};

QTEST_MAIN(TestInstallReporter)
#include "test_install_reporter.moc"
