#pragma once

#include "platform/dbus_tray_types.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QPointer>

class QAction;
class QMenu;

// com.canonical.dbusmenu for one QMenu: the panel reads the entries from here
// and sends back clicks. Entry ids are never reused, so a panel that still
// holds an id of a replaced menu gets an error instead of some other entry.
// Nothing but this interface's members is exported.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    DBusMenuAdaptor(QObject* host, QDBusConnection bus);
    ~DBusMenuAdaptor() override;

    // Not owned; null exports an empty menu. Every call starts a new layout.
    void setMenu(QMenu* menu);
    uint revision() const { return revision_; }

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   const QDBusMessage& message, DBusMenuLayoutItem& layout);
    DBusMenuItemList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name, const QDBusMessage& message);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp,
               const QDBusMessage& message);
    QList<int> EventGroup(const DBusMenuEventList& events, const QDBusMessage& message);
    bool AboutToShow(int id, const QDBusMessage& message);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void ItemsPropertiesUpdated(const DBusMenuItemList& updatedProps,
                                const DBusMenuItemKeysList& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int idOf(const QAction* action) const;
    bool isKnown(int id) const;
    QList<QAction*> childrenOf(int id) const;
    QVariantMap propertiesOf(int id) const;
    DBusMenuLayoutItem layoutOf(int id, int depth, const QStringList& names) const;
    void adopt(QMenu* menu);
    void forgetAll();
    void actionChanged(QAction* action);
    void structureChanged();
    void handleEvent(int id, const QString& eventId);
    void refuse(const QDBusMessage& message, const QString& text) const;

    QDBusConnection bus_;
    QPointer<QMenu> menu_;
    QHash<int, QPointer<QAction>> actions_;
    QHash<const QAction*, int> ids_;
    QHash<int, QVariantMap> published_;
    QList<QPointer<QMenu>> watchedMenus_;
    int nextId_ = 1;
    uint revision_ = 0;
    bool layoutPending_ = false;
};
