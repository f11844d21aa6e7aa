#pragma once

#include "app/fake_tray_backend.h"
#include "platform/desktop_tray_backend.h"
#include "platform/status_notifier_backend.h"

#include <QPointer>

// The desktop's tray as the application makes it, on `bus`: our
// StatusNotifierItem when a watcher is there, else a recording stand-in for
// the system tray. `item` and `fallback` follow the last of each it made.
inline std::unique_ptr<DesktopTrayBackend> makeDesktopTray(const QDBusConnection& bus,
                                                           QPointer<StatusNotifierBackend>& item,
                                                           QPointer<FakeTrayBackend>* fallback = nullptr)
{
    return std::make_unique<DesktopTrayBackend>(
        bus,
        [bus, &item] {
            auto b = std::make_unique<StatusNotifierBackend>(bus, QStringLiteral("org.lumora.Lumora"));
            item = b.get();
            return b;
        },
        [fallback] {
            auto b = std::make_unique<FakeTrayBackend>();
            if (fallback)
                *fallback = b.get();
            return b;
        });
}
