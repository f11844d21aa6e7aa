// The install report: the machine fingerprint and the requests a loopback
// server receives. Expected hashes were computed with
// sha256sum, e.g.  printf 'kvx|0123456789abcdef0123456789abcdef' | sha256sum
#include "build_config.h"
#include "loopback_http_server.h"
#include "services/http_client.h"
#include "services/install_reporter.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray kIdA = "0123456789abcdef0123456789abcdef";
// sha256("kvx|0123456789abcdef0123456789abcdef")
const QString kHashA = QStringLiteral("0231ea7b5b1d5843de3724b3e92a08b72184f1722e5e6737e6ff7a0c7eef2bab");
// sha256("qorvimal|build-host|ada")
const QString kHashFallback = QStringLiteral("05adc2c691610f385360ace0046adc900497b6048771db10b5c17f2125cab4f3");

// Options for this machine with the given machine-id candidates in `dir`,
// where a null entry is no file.
InstallReporter::Options options(const QTemporaryDir& dir, const QByteArrayList& files)
{
    InstallReporter::Options o = InstallReporter::defaultOptions();
    o.hostName = QStringLiteral("build-host");
    o.loginName = QStringLiteral("ada");
    o.machineIdFiles.clear();
    for (const QByteArray& content : files) {
        o.machineIdFiles << dir.filePath(QString::number(o.machineIdFiles.size()));
        QFile f(o.machineIdFiles.last());
        if (!content.isNull() && f.open(QIODevice::WriteOnly))
            f.write(content);
    }
    return o;
}
}  // namespace

class TestInstallReporter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { http::useModuleAt({QStringLiteral(LUMORA_NETWORK_MODULE)}); }

    // The install id: the hash of the first usable machine-id file, else of
    // the host and login names.
    void fingerprint_data()
    {
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QString>("expected");
        const QByteArray a = kIdA + '\n';
        QTest::newRow("machine-id") << QByteArrayList{a} << kHashA;
        QTest::newRow("machine-id without line ending") << QByteArrayList{kIdA} << kHashA;
        QTest::newRow("first file wins") << QByteArrayList{a, "fedcba9876543210fedcba9876543210\n"} << kHashA;
        QTest::newRow("second file when the first is missing") << QByteArrayList{{}, a} << kHashA;
        QTest::newRow("second file when the first is empty") << QByteArrayList{"", a} << kHashA;
        QTest::newRow("no file") << QByteArrayList{{}, {}} << kHashFallback;
        QTest::newRow("too short") << QByteArrayList{kIdA.left(31) + '\n'} << kHashFallback;
        QTest::newRow("too long") << QByteArrayList{kIdA + "0\n"} << kHashFallback;
        QTest::newRow("two line endings") << QByteArrayList{a + '\n'} << kHashFallback;
        QTest::newRow("not hexadecimal") << QByteArrayList{"0123456789abcdef0123456789abcdeg\n"} << kHashFallback;
    }
    void fingerprint()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QCOMPARE(InstallReporter::fingerprint(options(dir, files)), expected);
    }

    // The report as the server sees it: one compact JSON request, answered
    // or not, never repeated; only the hash leaves the machine. None goes out
    // with text that cannot be written as JSON (half a surrogate pair), with
    // a host setting that smuggles in an account or a path, or over plain
    // HTTP without the exception for test servers.
    void reportReachesTheServer()
    {
        LoopbackHttpServer server;
        server.status = 500;
        QTemporaryDir dir;
        const auto send = [&](const QString& host, const QString& lang = QLocale::system().name(), bool test = true) {
            InstallReporter::Options o = options(dir, {{}, kIdA + '\n'});
            o.scheme = QStringLiteral("http");
            o.allowLoopbackHttp = test;
            o.host = host;
            o.localeName = lang;
            InstallReporter::report(o);
        };
        const QString at = server.url({}).authority();
        send(at, QString(QChar(0xD800)));
        send(QStringLiteral("me@") + at);
        send(at + QStringLiteral("/x?"));
        send(at, QLocale::system().name(), false);
        send(at);
        QTRY_COMPARE(int(server.requests.size()), 1);
        const auto& r = server.requests[0];
        QCOMPARE(r.method + ' ' + r.target, QByteArray("POST /api/install/report"));
        QCOMPARE(r.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(r.headers.value("accept"), QByteArray("application/json"));
        const QString version = QStringLiteral("%1(%2)").arg(lumora::build::kVersion, lumora::build::kBuildNumber);
        const QJsonObject body{{"installId", kHashA}, {"appKey", "lumora"}, {"platform", "Linux"},
                               {"version", version}, {"lang", QLocale::system().name()}};
        QCOMPARE(r.body, QJsonDocument(body).toJson(QJsonDocument::Compact));
        QTest::qWait(150);
        QCOMPARE(int(server.requests.size()), 1);
    }
};

QTEST_MAIN(TestInstallReporter)
#include "test_install_reporter.moc"
