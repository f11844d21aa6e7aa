#include "views/symbol.h"

#include <QCache>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace symbol {
namespace {
QString pathOf(const QString& name)
{
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

QImage render(const QString& name, int pixels, const QColor& colour)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(pathOf(name));
    if (!renderer.isValid())
        return image;
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
    }
    // The pictures are black ink, with white where a stroke must cut a gap:
    // ink takes the colour, white becomes see-through.
    QImage out(pixels, pixels, QImage::Format_ARGB32);
    for (int y = 0; y < pixels; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < pixels; ++x) {
            const QRgb px = qUnpremultiply(src[x]);
            const double ink = qAlpha(px) / 255.0 * (1.0 - qGray(px) / 255.0);
            dst[x] = qRgba(colour.red(), colour.green(), colour.blue(), int(ink * colour.alpha() + 0.5));
        }
    }
    return out;
}
}  // namespace

QPixmap pixmap(const QString& name, int side, const QColor& colour, qreal devicePixelRatio)
{
    static QCache<QString, QPixmap> cache(256);
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    const QString key = QStringLiteral("%1/%2/%3").arg(name).arg(pixels).arg(colour.rgba(), 8, 16);
    if (QPixmap* hit = cache.object(key))
        return *hit;
    auto* made = new QPixmap(QPixmap::fromImage(render(name, pixels, colour)));
    made->setDevicePixelRatio(devicePixelRatio);
    const QPixmap copy = *made;
    cache.insert(key, made);
    return copy;
}

void paint(QPainter& painter, const QRectF& rect, const QString& name, int side, const QColor& colour)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pm = pixmap(name, side, colour, dpr);
    const QRectF target(rect.center().x() - side / 2.0, rect.center().y() - side / 2.0, side, side);
    painter.drawPixmap(target, pm, QRectF(pm.rect()));
}

bool exists(const QString& name)
{
    return QFile::exists(pathOf(name));
}

}  // namespace symbol
