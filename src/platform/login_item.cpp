#include "platform/login_item.h"

#include "platform/portal_autostart.h"
#include "platform/xdg_autostart.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>

LoginItem& LoginItem::shared()
{
    // Inside a sandbox our files are not the session's: ask the portal.
    static LoginItem* item = QFile::exists(QStringLiteral("/.flatpak-info"))
                                 ? static_cast<LoginItem*>(new PortalAutostart(QDBusConnection::sessionBus(), qApp))
                                 : static_cast<LoginItem*>(new XdgAutostart({}, qApp));
    return *item;
}
