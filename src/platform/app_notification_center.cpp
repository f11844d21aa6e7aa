#include "platform/app_notification_center.h"

AppNotificationCenter& AppNotificationCenter::defaultCenter()
{
    static AppNotificationCenter center;
    return center;
}

void AppNotificationCenter::post(const QString& name)
{
    Q_EMIT posted(name);
}

QMetaObject::Connection AppNotificationCenter::addObserver(const QString& name, QObject* context,
                                                           std::function<void()> handler)
{
    return connect(this, &AppNotificationCenter::posted, context,
                   [name, handler = std::move(handler)](const QString& posted) {
                       if (posted == name)
                           handler();
                   });
}
