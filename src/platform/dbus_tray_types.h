#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The structures the StatusNotifierItem and dbusmenu interfaces carry, with
// their D-Bus marshalling.

// One icon picture: width, height and ARGB32 pixels in network byte order.
struct DBusImage {
    int width = 0;
    int height = 0;
    QByteArray pixels;

    friend bool operator==(const DBusImage&, const DBusImage&) = default;
};
using DBusImageList = QList<DBusImage>;

struct DBusToolTip {
    QString iconName;
    DBusImageList images;
    QString title;
    QString description;
};

// A menu entry with its children, as GetLayout returns it.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

struct DBusMenuItem {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemList = QList<DBusMenuItem>;

struct DBusMenuItemKeys {
    int id = 0;
    QStringList properties;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

// A key combination as dbusmenu spells it: [["Control", "Q"]].
using DBusMenuShortcut = QList<QStringList>;

Q_DECLARE_METATYPE(DBusImage)
Q_DECLARE_METATYPE(DBusToolTip)
Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItem)
Q_DECLARE_METATYPE(DBusMenuItemKeys)
Q_DECLARE_METATYPE(DBusMenuEvent)

QDBusArgument& operator<<(QDBusArgument& arg, const DBusImage& image);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusImage& image);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& keys);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& keys);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event);

// Makes the types above known to QtDBus; call before exporting an object
// that uses them. Safe to call more than once.
void registerDBusTrayTypes();
