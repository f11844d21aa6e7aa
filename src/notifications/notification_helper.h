#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <optional>

// One desktop notification as we hand it to the notification server.
struct NotificationRequest {
    QString identifier;  // ours; the same identifier replaces the earlier one
    QString title;
    QString body;
    bool sound = true;
    QString soundName = QStringLiteral("message-new-instant");
    bool critical = false;  // critical notifications stay until dismissed
    QList<QPair<QString, QString>> actions;  // (key, label)
};

// Lumora's contact with org.freedesktop.Notifications. Every call is
// asynchronous with a bounded timeout, so a missing, failing or silent
// server never holds up the main thread and is simply not shown.
class NotificationHelper final : public QObject {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 5000;
    // Activation tokens are a few dozen characters; longer ones are not kept.
    static constexpr qsizetype maxTokenLength = 256;

    explicit NotificationHelper(QDBusConnection bus, QObject* parent = nullptr);
    ~NotificationHelper() override;

    static NotificationHelper& shared();

    bool hasRequestedAuthorization = false;

    // Asks the server once per process what it can do; the answer only
    // refines later notifications (sound and action hints).
    void requestAuthorizationIfNeeded();

    // Posts a notification with a new identifier and the default sound.
    QString send(const QString& title, const QString& body);
    void post(const NotificationRequest& request);
    void close(const QString& identifier);

    // The server's capabilities once it has answered.
    std::optional<QStringList> capabilities() const { return capabilities_; }

Q_SIGNALS:
    // An action of one of our notifications, "default" for a plain click.
    // `activationToken` lets a Wayland window raise itself; may be empty.
    void activated(const QString& identifier, const QString& actionKey,
                   const QString& activationToken);

private Q_SLOTS:
    void onActionInvoked(uint serverId, const QString& actionKey);
    void onActivationToken(uint serverId, const QString& token);
    void onClosed(uint serverId, uint reason);

private:
    // The shared helper reaches the session bus when it first posts, so
    // making it costs start-up nothing while the bus is still connecting.
    NotificationHelper();
    QDBusConnection& bus();
    void listenToServer();
    QString identifierFor(uint serverId) const;
    bool serverHas(const QString& capability) const;

    std::optional<QDBusConnection> bus_;
    std::optional<QStringList> capabilities_;
    QHash<QString, uint> serverIds_;
    QSet<QString> closeWhenKnown_;
    QHash<uint, QString> tokens_;
    bool listening_ = false;
};
