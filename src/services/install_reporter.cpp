#include "services/install_reporter.h"

#include "build_config.h"
#include "services/http_client.h"
#include "services/network_policy.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSysInfo>
#include <QThreadPool>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr qint64 kMachineIdLength = 32;

bool isHex(const QByteArray& text)
{
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit && !letter)
            return false;
    }
    return true;
}

QString systemLoginName()
{
    // The account's name as the user database knows it, like a login name;
    // the environment only when the database has no entry.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

void send(HttpClient& network, const QUrl& url, const QByteArray& body, std::chrono::milliseconds timeout)
{
    HttpRequest request;
    request.url = url;
    request.transferTimeout = timeout;
    request.headers = {{"Content-Type", "application/json"}, {"Accept", "application/json"}};
    network.post(request, body);
}
}  // namespace

InstallReporter::Options InstallReporter::defaultOptions()
{
    Options o;
    o.host = QString::fromUtf8(lumora::build::kReportHost).trimmed();
    o.localeName = QLocale::system().name();
    o.version = appVersion(QString::fromUtf8(lumora::build::kVersion), QString::fromUtf8(lumora::build::kBuildNumber));
    return o;
}

void InstallReporter::report()
{
    report(defaultOptions());
}

void InstallReporter::report(const Options& options)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    const QUrl url = endpoint(options);
    if (url.isEmpty())
        return;
    HttpClient* given = options.network;
    Options work = options;
    work.network = nullptr;  // the worker never touches the network client
    QThreadPool::globalInstance()->start([work, url, given, app] {
        const QByteArray payload = body(fingerprint(work), work.version, work.localeName);
        if (payload.isEmpty())
            return;
        const auto timeout = work.timeout;
        QMetaObject::invokeMethod(
            app,
            [given, url, payload, timeout] {
                // The process's client is looked up here, on the main thread.
                if (HttpClient* network = given ? given : http::client())
                    send(*network, url, payload, timeout);
            },
            Qt::QueuedConnection);
    });
}

QUrl InstallReporter::endpoint(const Options& options)
{
    if (options.host.isEmpty())
        return {};
    const QUrl url(options.scheme + QStringLiteral("://") + options.host + path, QUrl::StrictMode);
    // A host setting that smuggles in a path, query or account is no host.
    if (!url.isValid() || url.path() != path || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return {};
    if (!NetworkPolicy::isAllowed(url, options.allowLoopbackHttp))
        return {};
    return url;
}

std::optional<QString> InstallReporter::machineId(const QStringList& files)
{
    for (const QString& name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray text = file.read(kMachineIdLength + 2);
        if (text.endsWith('\n'))
            text.chop(1);
        if (text.size() == kMachineIdLength && isHex(text))
            return QString::fromLatin1(text);
    }
    return std::nullopt;
}

QString InstallReporter::fingerprint(const Options& options)
{
    if (const auto id = machineId(options.machineIdFiles))
        return sha256Hex((QStringLiteral("kvx|") + *id).toUtf8());
    const QString host = options.hostName ? *options.hostName : QSysInfo::machineHostName();
    const QString login = options.loginName ? *options.loginName : systemLoginName();
    return sha256Hex((QStringLiteral("qorvimal|") + host + QLatin1Char('|') + login).toUtf8());
}

QString InstallReporter::sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString InstallReporter::appVersion(const QString& marketing, const QString& build)
{
    const QString m = marketing.isEmpty() ? QStringLiteral("0") : marketing;
    const QString b = build.isEmpty() ? QStringLiteral("0") : build;
    return m + QLatin1Char('(') + b + QLatin1Char(')');
}

QByteArray InstallReporter::body(const QString& installId, const QString& version, const QString& lang)
{
    if (installId.size() != 64)
        return {};
    // Half a surrogate pair would go out as an escape no strict reader
    // accepts: such a report is malformed, so none is sent.
    for (const QString* text : {&version, &lang}) {
        if (!text->isValidUtf16())
            return {};
    }
    const QJsonObject object{
        {QStringLiteral("installId"), installId},
        {QStringLiteral("appKey"), QStringLiteral("lumora")},
        {QStringLiteral("platform"), QStringLiteral("Linux")},
        {QStringLiteral("version"), version},
        {QStringLiteral("lang"), lang},
    };
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QJsonParseError error{};
    const QJsonDocument back = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || back.object() != object)
        return {};
    return json;
}
