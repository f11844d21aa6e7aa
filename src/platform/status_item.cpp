#include "platform/status_item.h"

#include <QFontMetricsF>
#include <QGuiApplication>

StatusItem::StatusItem(std::unique_ptr<TrayBackend> backend, QObject* parent)
    : QObject(parent), backend_(std::move(backend))
{
    connect(backend_.get(), &TrayBackend::clicked, this, &StatusItem::clicked);
    backend_->show();
}

StatusItem::~StatusItem()
{
    backend_->setMenu(nullptr);
}

void StatusItem::setTitle(const QString& title)
{
    // The title is recomputed on every tick; the panel hears only of changes.
    if (title == title_)
        return;
    title_ = title;
    backend_->setTitle(title);
}

void StatusItem::setTitleGuide(const QString& guide)
{
    if (guide == titleGuide_)
        return;
    titleGuide_ = guide;
    backend_->setTitleGuide(guide);
}

QString StatusItem::widestText(const QStringList& candidates)
{
    const QFontMetricsF metrics(QGuiApplication::font());
    QString widest;
    qreal width = -1;
    for (const QString& text : candidates) {
        const qreal w = metrics.horizontalAdvance(text);
        if (w > width) {
            widest = text;
            width = w;
        }
    }
    return widest;
}

void StatusItem::setProgress(TrayState state, double remainingFraction)
{
    backend_->setProgress(state, remainingFraction);
}

void StatusItem::setMenu(std::unique_ptr<QMenu> menu)
{
    backend_->setMenu(menu.get());
    if (menu_)
        menu_.release()->deleteLater();
    menu_ = std::move(menu);
}
