#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <vector>

// A small org.kde.StatusNotifierWatcher for tests: it records every item that
// registers, and can stay silent as a hung panel would.
class StatusNotifierWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems MEMBER items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hostRegistered)
public:
    enum class Behaviour { answer, silent };

    explicit StatusNotifierWatcher(QDBusConnection bus, Behaviour behaviour = Behaviour::answer);
    ~StatusNotifierWatcher() override;

    bool isRegistered() const { return registered_; }

    // Every registration, in order, as the item sent it.
    QStringList items;
    // Whether a panel stands behind this watcher.
    bool hostRegistered = true;
    // A panel comes up and registers with this watcher.
    void announceHost();

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service);

Q_SIGNALS:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    QDBusConnection bus_;
    Behaviour behaviour_;
    bool registered_ = false;
    std::vector<QDBusMessage> unanswered_;
};
