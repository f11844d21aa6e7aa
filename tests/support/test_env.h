#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class DefaultsStore;

// A private $XDG_CONFIG_HOME for one test; restored when it goes away.
class TempConfigHome {
public:
    TempConfigHome();
    ~TempConfigHome();
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    QString path() const { return dir_.path(); }
    // The file the defaults store keeps, inside this home.
    QString settingsFile() const;
    // A fresh store reading settingsFile(), as a new process would.
    std::unique_ptr<DefaultsStore> openStore() const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// A dbus-daemon of our own, so a test never touches the user's session bus.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isRunning() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    // A new connection to this bus, under a unique connection name.
    QDBusConnection connect(const QString& name);
    // Makes this bus the session bus of the process (DBUS_SESSION_BUS_ADDRESS);
    // only takes effect before Qt first connects to the session bus.
    void exportAsSessionBus() const;

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
    UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
    UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;
};

// While it lives, no file of this process grows past `bytes`: a write that
// would comes up short, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    quint64 savedLimit_ = 0;
    void (*savedHandler_)(int) = nullptr;
};

// The file's inode, 0 when there is none: a write that replaces a file
// atomically (QSaveFile, QSettings) gives it a new one.
quint64 fileIdentity(const QString& path);

// Where rendered pictures and other artefacts of a test run go.
QString testOutputDir();
