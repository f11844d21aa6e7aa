#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <optional>

class HttpClient;

// Tells the install-report service, once per launch, that Lumora runs on
// this machine. The machine is named only by a SHA-256 hash; the answer and
// any error are ignored. Nothing is sent when the build names no host.
class InstallReporter {
public:
    InstallReporter() = delete;

    static inline const QString path = QStringLiteral("/api/install/report");

    // What the report is made from; the defaults are this machine and build.
    // Tests replace them, and only there is plain HTTP to loopback used.
    struct Options {
        QString host;  // host[:port]; empty: no report
        QString scheme = QStringLiteral("https");
        bool allowLoopbackHttp = false;  // tests only
        QStringList machineIdFiles = {QStringLiteral("/etc/machine-id"),
                                      QStringLiteral("/var/lib/dbus/machine-id")};
        std::optional<QString> hostName;   // the system's when empty
        std::optional<QString> loginName;  // the system's when empty
        QString localeName;
        QString version;
        std::chrono::milliseconds timeout = std::chrono::seconds(60);
        HttpClient* network = nullptr;  // the process's own when empty; it outlives the report
    };

    static Options defaultOptions();

    // Returns at once: the machine is read on a worker thread and the
    // request goes out from the main thread's network manager.
    static void report();
    static void report(const Options& options);

    // The parts, for the tests and for report() itself. fingerprint() reads
    // files and may wait on the user database: never on the main thread.
    static QUrl endpoint(const Options& options);
    static std::optional<QString> machineId(const QStringList& files);
    static QString fingerprint(const Options& options);
    static QString sha256Hex(const QByteArray& data);
    static QString appVersion(const QString& marketing, const QString& build);
    // Compact UTF-8 JSON of the five members; empty (and nothing is sent)
    // when a member is not valid Unicode or the text does not read back.
    static QByteArray body(const QString& installId, const QString& version, const QString& lang);
};
