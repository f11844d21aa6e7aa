#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

// A small org.freedesktop.Notifications server for tests: it records every
// call and can fail, stay silent, or send the signals a real server sends.
class NotificationServer final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    enum class Behaviour { answer, error, silent };

    struct Received {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
        uint id;
    };

    explicit NotificationServer(QDBusConnection bus, QStringList capabilities = defaultCapabilities());
    ~NotificationServer() override;

    static QStringList defaultCapabilities();
    bool isRegistered() const { return registered_; }

    Behaviour behaviour = Behaviour::answer;
    std::vector<Received> received;
    std::vector<uint> closed;
    int capabilityQueries = 0;

    void invokeAction(uint id, const QString& key, const QString& token = {});

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                             const QString& summary, const QString& body, const QStringList& actions,
                             const QVariantMap& hints, int timeout);
    Q_SCRIPTABLE void CloseNotification(uint id);
    Q_SCRIPTABLE QStringList GetCapabilities();

Q_SIGNALS:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
    Q_SCRIPTABLE void ActivationToken(uint id, const QString& token);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    bool misbehave();

    QDBusConnection bus_;
    QStringList capabilities_;
    bool registered_ = false;
    uint nextId_ = 1;
    std::vector<QDBusMessage> unanswered_;
};
