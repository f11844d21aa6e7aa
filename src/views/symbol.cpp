#include "views/symbol.h"

#include <QCache>
#include <QHash>
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

// The ink of a picture drawn into the unit square: the part of it that is
// not blank, measured once per name.
QRectF inkOf(const QString& name, QSvgRenderer& renderer)
{
    static QHash<QString, QRectF> known;
    if (const auto it = known.constFind(name); it != known.cend())
        return *it;
    constexpr int probe = 120;
    QImage image(probe, probe, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        renderer.render(&p);
    }
    int left = probe, top = probe, right = -1, bottom = -1;
    for (int y = 0; y < probe; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < probe; ++x)
            if (qGray(line[x]) < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
    }
    const QRectF ink = right < 0 ? QRectF(0, 0, 1, 1)
                                 : QRectF(left, top, right + 1 - left, bottom + 1 - top);
    const QRectF unit(ink.x() / probe, ink.y() / probe, ink.width() / probe, ink.height() / probe);
    known.insert(name, unit);
    return unit;
}

// Scaled as a font scales its glyphs: at `pixels`, the larger side of the
// ink is `pixels` long, centred in a square a pixel wider on every side
// for the edges' antialiasing.
QImage render(const QString& name, int pixels, const QColor& colour)
{
    const int frame = pixels + 2;
    QImage image(frame, frame, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(pathOf(name));
    if (!renderer.isValid())
        return image;
    const QRectF ink = inkOf(name, renderer);
    const qreal box = pixels / qMax(ink.width(), ink.height());
    const QPointF origin(frame / 2.0 - ink.center().x() * box, frame / 2.0 - ink.center().y() * box);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(origin, QSizeF(box, box)));
    }
    // The pictures are black ink, with white where a stroke must cut a gap:
    // ink takes the colour, white becomes see-through.
    QImage out(frame, frame, QImage::Format_ARGB32);
    for (int y = 0; y < frame; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < frame; ++x) {
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
    const qreal frame = pm.width() / dpr;
    const QRectF target(rect.center().x() - frame / 2.0, rect.center().y() - frame / 2.0, frame, frame);
    painter.drawPixmap(target, pm, QRectF(pm.rect()));
}

bool exists(const QString& name)
{
    return QFile::exists(pathOf(name));
}

}  // namespace symbol
