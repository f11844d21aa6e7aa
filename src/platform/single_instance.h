#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <thread>

class LocalActivationSocket;
class QLockFile;

// Keeps Lumora to one running process per session. The first process owns
// the application id on the session bus (a crash frees the name at once) and
// answers org.freedesktop.Application; a later one asks it to show its window
// and leaves. Without a session bus a lock file and a local socket in the
// runtime directory do the same, and they take over when the bus goes away.
// Adaptors made its children (the timer's interface) are exported on the same
// object and answer through its context.
class SingleInstance final : public QObject, public QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    enum class Role {
        primary,    // this process is the one instance
        secondary,  // another instance runs and was asked to show itself
        failed      // another instance runs but did not answer
    };

    // How long a second process waits for a busy first one.
    static constexpr int requestTimeoutMs = 3000;

    explicit SingleInstance(QString appId, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Starts connecting to the session bus on a thread of its own, for a
    // caller with other work to do before claim(), which then finds the
    // connection made (or waits for it).
    void connectAhead();
    Role claim();
    // "bus" or "local" once claimed as primary: which mechanism holds it.
    QString mechanism() const { return mechanism_; }

    QString objectPath() const;
    QString socketPath() const;

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& action, const QVariantList& parameter,
                                     const QVariantMap& platformData);

Q_SIGNALS:
    // The user started Lumora again: the window should come forward, with
    // the launcher's activation token where there is one (Wayland).
    void activateRequested(const QString& activationToken);

private Q_SLOTS:
    void takeOverLocally();

private:
    std::optional<Role> claimOnBus();
    Role claimLocally();
    // Takes the lock and listens on the socket; false if another process has them.
    bool listenLocally();
    static QVariantMap platformDataFromEnvironment();

    QString appId_;
    QString mechanism_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<LocalActivationSocket> server_;
    std::thread connecting_;
};
