#include "platform/system_tray_backend.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

SystemTrayBackend::SystemTrayBackend(QObject* parent) : TrayBackend(parent)
{
    connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            Q_EMIT clicked(Click::primary);
            break;
        case QSystemTrayIcon::Context:
            Q_EMIT clicked(Click::secondary);
            break;
        case QSystemTrayIcon::MiddleClick:
            Q_EMIT clicked(Click::middle);
            break;
        case QSystemTrayIcon::DoubleClick:
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
    setProgress(TrayState::idle, 1.0);
}

bool SystemTrayBackend::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayBackend::show()
{
    // The XEmbed tray is X11's; elsewhere only a platform tray can show the
    // icon, and asking for the X11 one there makes Qt complain.
    if (QGuiApplication::platformName() != QLatin1String("xcb") && !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray_.show();
}

void SystemTrayBackend::setTitle(const QString& title)
{
    if (tray_.toolTip() != title)
        tray_.setToolTip(title);
}

void SystemTrayBackend::setProgress(TrayState state, double remainingFraction)
{
    const TrayRingPicture next = TrayRingPicture::of(state, remainingFraction);
    if (picture_ == next)
        return;
    picture_ = next;
    QIcon icon;
    // Panels pick the size they need; these cover the usual panel heights.
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(next.render(size)));
    tray_.setIcon(icon);
    ++iconUpdates_;
}

void SystemTrayBackend::setMenu(QMenu* menu)
{
    tray_.setContextMenu(menu);
}
