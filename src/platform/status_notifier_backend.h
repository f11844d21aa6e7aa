#pragma once

#include "platform/dbus_tray_types.h"
#include "platform/tray_backend.h"
#include "platform/tray_ring_picture.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <optional>

class DBusMenuAdaptor;
class StatusNotifierItemAdaptor;

// Lumora's own StatusNotifierItem: besides the ring picture and the tooltip
// that QSystemTrayIcon can show, panels that draw item labels show the title
// beside the icon. The item is exported on the bus from show() on and is
// registered with the panel's watcher whenever one is there, so a panel that
// restarts finds it again. Every call to the watcher is asynchronous.
class StatusNotifierBackend final : public TrayBackend {
    Q_OBJECT
public:
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
    static inline const QString itemPath = QStringLiteral("/StatusNotifierItem");
    static inline const QString menuPath = QStringLiteral("/MenuBar");
    // Panels pick from these; larger ones would only cost bus traffic.
    static constexpr int iconSizes[] = {16, 22, 24, 32, 48};
    static constexpr int callTimeoutMs = 5000;

    StatusNotifierBackend(QDBusConnection bus, QString id, QObject* parent = nullptr);
    ~StatusNotifierBackend() override;

    bool isAvailable() const override;
    void show() override;
    void setTitle(const QString& title) override;
    void setTitleGuide(const QString& guide) override;
    void setProgress(TrayState state, double remainingFraction) override;
    void setMenu(QMenu* menu) override;

    bool isRegistered() const { return registered_; }
    // The bus name panels reach the item under.
    QString serviceName() const { return bus_.baseService(); }

    // The picture as the pixmaps a panel gets: ARGB32 in network byte order.
    static DBusImageList pixmapsOf(const TrayRingPicture& picture);

Q_SIGNALS:
    void registeredChanged(bool registered);

private:
    void registerWithWatcher();
    void setRegistered(bool registered);
    void popUpMenu();

    QDBusConnection bus_;
    QObject itemObject_;
    QObject menuObject_;
    StatusNotifierItemAdaptor* item_;
    DBusMenuAdaptor* menuAdaptor_;
    QDBusServiceWatcher watcher_;
    QPointer<QMenu> menu_;
    std::optional<TrayRingPicture> picture_;
    bool exported_ = false;
    bool registered_ = false;
    // Replies to superseded registrations are ignored.
    quint64 attempt_ = 0;
};
