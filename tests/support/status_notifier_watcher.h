#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// A small org.kde.StatusNotifierWatcher for tests: it records every item that
// registers.
class StatusNotifierWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems MEMBER items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hostRegistered)
public:
    explicit StatusNotifierWatcher(QDBusConnection bus) : bus_(std::move(bus))
    {
        bus_.registerObject(path, this,
                            QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
        bus_.registerService(service);
    }
    ~StatusNotifierWatcher() override
    {
        bus_.unregisterService(service);
        bus_.unregisterObject(path);
    }

    // Every registration, in order, as the item sent it.
    QStringList items;
    // Whether a panel stands behind this watcher.
    bool hostRegistered = true;
    // A panel comes up and registers with this watcher.
    void announceHost()
    {
        hostRegistered = true;
        Q_EMIT StatusNotifierHostRegistered();
    }

public Q_SLOTS:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& item)
    {
        items.append(item);
        Q_EMIT StatusNotifierItemRegistered(item);
    }

Q_SIGNALS:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    static inline const QString service = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString path = QStringLiteral("/StatusNotifierWatcher");

    QDBusConnection bus_;
};
