#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

// A small org.freedesktop.Notifications server for tests: it records every
// call and sends the signals a real server sends.
class NotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received {
        QString appName, summary, body;
        uint replacesId, id;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };

    // The bus name, which is also the interface's.
    static inline const QString name = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString path = QStringLiteral("/org/freedesktop/Notifications");

    explicit NotificationServer(QDBusConnection bus, QStringList capabilities = defaultCapabilities())
        : bus_(std::move(bus)), capabilities_(std::move(capabilities))
    {
        bus_.registerObject(path, this, QDBusConnection::ExportScriptableContents);
        bus_.registerService(name);
    }
    ~NotificationServer() override
    {
        bus_.unregisterService(name);
        bus_.unregisterObject(path);
    }

    static QStringList defaultCapabilities() { return {"body", "actions", "sound"}; }

    std::vector<Received> received;
    std::vector<uint> closed;
    int capabilityQueries = 0;

    void invokeAction(uint id, const QString& key, const QString& token = {})
    {
        if (!token.isEmpty())
            Q_EMIT ActivationToken(id, token);
        Q_EMIT ActionInvoked(id, key);
    }

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& /*appIcon*/, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        const uint id = replacesId ? replacesId : nextId_++;
        received.push_back({appName, summary, body, replacesId, id, actions, hints, timeout});
        return id;
    }
    Q_SCRIPTABLE void CloseNotification(uint id)
    {
        closed.push_back(id);
        Q_EMIT NotificationClosed(id, 3);
    }
    Q_SCRIPTABLE QStringList GetCapabilities()
    {
        ++capabilityQueries;
        return capabilities_;
    }

Q_SIGNALS:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
    Q_SCRIPTABLE void ActivationToken(uint id, const QString& token);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    QStringList capabilities_;
    uint nextId_ = 1;
};
