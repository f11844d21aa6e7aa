#pragma once

#include "platform/dbus_tray_types.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <functional>

// org.kde.StatusNotifierItem on the item's object: the properties a panel
// reads and the calls it makes. It holds what the item shows and sends a
// change signal only when a value really changed. Nothing but this
// interface's members is exported.
class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(DBusImageList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(DBusImageList AttentionIconPixmap READ iconPixmap)
    Q_PROPERTY(DBusToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ title)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
public:
    // What the panel's calls do; x and y are where the pointer was.
    struct Calls {
        std::function<void()> activate;
        std::function<void()> secondaryActivate;
        std::function<void()> contextMenu;
    };

    StatusNotifierItemAdaptor(QObject* host, QString id, QDBusObjectPath menu, Calls calls);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return id_; }
    QString title() const { return title_; }
    QString status() const { return status_; }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    DBusImageList iconPixmap() const { return icon_; }
    DBusToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return menu_; }
    QString labelGuide() const { return guide_; }

    // Each returns whether the value changed (and so a signal went out).
    bool setTitle(const QString& title);
    bool setLabelGuide(const QString& guide);
    bool setIcon(const DBusImageList& icon);
    bool setStatus(const QString& status);

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

private:
    QString id_;
    QDBusObjectPath menu_;
    Calls calls_;
    QString title_;
    QString guide_;
    QString status_ = QStringLiteral("Active");
    DBusImageList icon_;
};
