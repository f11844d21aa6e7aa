#pragma once

#include <QObject>
#include <QString>
#include <functional>

// App-wide notifications by name, with no sender and no payload.
class AppNotificationCenter final : public QObject {
    Q_OBJECT
public:
    static inline const QString openSettings = QStringLiteral("openSettings");
    static inline const QString bringToFrontOnExpire = QStringLiteral("bringToFrontOnExpire");

    static AppNotificationCenter& defaultCenter();

    void post(const QString& name);

    // `handler` runs on the main thread for every post of `name` while
    // `context` lives; the observer ends with `context`.
    QMetaObject::Connection addObserver(const QString& name, QObject* context,
                                        std::function<void()> handler);

Q_SIGNALS:
    void posted(const QString& name);
};
