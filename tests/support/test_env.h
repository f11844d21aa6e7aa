#pragma once

#include "platform/defaults_store.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>
#include <sys/resource.h>

// A private $XDG_CONFIG_HOME for one test; restored when it goes away.
class TempConfigHome {
public:
    TempConfigHome() { qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8()); }
    ~TempConfigHome() { previous_ ? qputenv("XDG_CONFIG_HOME", *previous_) : qunsetenv("XDG_CONFIG_HOME"); }
    Q_DISABLE_COPY(TempConfigHome)

    QString path() const { return dir_.path(); }
    // The file the defaults store keeps, inside this home.
    QString settingsFile() const { return dir_.path() + QStringLiteral("/lumora/lumora.conf"); }
    // A fresh store reading settingsFile(), as a new process would.
    std::unique_ptr<DefaultsStore> openStore() const { return std::make_unique<DefaultsStore>(settingsFile()); }

private:
    QTemporaryDir dir_;
    const std::optional<QByteArray> previous_ =
        qEnvironmentVariableIsSet("XDG_CONFIG_HOME") ? std::optional(qgetenv("XDG_CONFIG_HOME")) : std::nullopt;
};

// A dbus-daemon of our own, so a test never touches the user's session bus.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    Q_DISABLE_COPY(PrivateBus)

    bool isRunning() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    // A new connection to this bus, under a unique connection name.
    QDBusConnection connect(const QString& name);
    // Makes this bus the session bus of the process (DBUS_SESSION_BUS_ADDRESS);
    // only takes effect before Qt first connects to the session bus.
    void exportAsSessionBus() const { qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8()); }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// While it lives, file permissions count for the calling thread even when
// the tests run as root (its file-system user is "nobody" then).
class UnprivilegedFileAccess {
public:
    UnprivilegedFileAccess();
    ~UnprivilegedFileAccess();
    Q_DISABLE_COPY(UnprivilegedFileAccess)
};

// While it lives, no file of this process grows past `bytes`: a write that
// would comes up short, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    Q_DISABLE_COPY(FileSizeLimit)

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// `bytes` at `path`, in folders made for it.
void writeFile(const QString& path, const QByteArray& bytes);
// What the file at `path` holds; empty when it cannot be read.
QByteArray readFile(const QString& path);

// The file's inode, 0 when there is none: a write that replaces a file
// atomically (QSaveFile, QSettings) gives it a new one.
quint64 fileIdentity(const QString& path);

// Where rendered pictures and other artefacts of a test run go.
QString testOutputDir();
