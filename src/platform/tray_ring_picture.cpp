#include "platform/tray_ring_picture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
QColor arcColour(TrayState state)
{
    switch (state) {
    case TrayState::idle:
        return QColor(0x9C, 0xA3, 0xAF);
    case TrayState::running:
        return QColor(0x3B, 0x82, 0xF6);
    case TrayState::paused:
        return QColor(0xF5, 0x9E, 0x0B);
    case TrayState::ringing:
        return QColor(0xEF, 0x44, 0x44);
    }
    return QColor(0x9C, 0xA3, 0xAF);
}
}  // namespace

TrayRingPicture TrayRingPicture::of(TrayState state, double remainingFraction)
{
    TrayRingPicture picture;
    picture.state = state;
    if (state == TrayState::idle || state == TrayState::ringing) {
        // Nothing is counting: the ring is whole, its colour tells the state.
        picture.filledSteps = steps;
        return picture;
    }
    const double f = std::isfinite(remainingFraction) ? std::clamp(remainingFraction, 0.0, 1.0) : 0.0;
    // Rounded up, so a countdown with time left never shows an empty ring.
    picture.filledSteps = int(std::ceil(f * steps));
    return picture;
}

QImage TrayRingPicture::render(int size) const
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const qreal pen = std::max<qreal>(2.0, size * 0.16);
    const QRectF ring = QRectF(0, 0, size, size).adjusted(pen / 2 + 1, pen / 2 + 1, -pen / 2 - 1,
                                                          -pen / 2 - 1);
    // The track reads on light and dark panels alike.
    p.setPen(QPen(QColor(128, 128, 128, 110), pen, Qt::SolidLine, Qt::FlatCap));
    p.drawEllipse(ring);

    const QColor colour = arcColour(state);
    p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::RoundCap));
    if (filledSteps >= steps) {
        p.drawEllipse(ring);
    } else if (filledSteps > 0) {
        // Clockwise from twelve o'clock, as the window's ring runs.
        const int span = -int(std::lround(360.0 * 16 * filledSteps / steps));
        p.drawArc(ring, 90 * 16, span);
    }
    if (state == TrayState::ringing || state == TrayState::paused) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        const qreal dot = size * 0.22;
        p.drawEllipse(QRectF(size / 2.0 - dot / 2, size / 2.0 - dot / 2, dot, dot));
    }
    return image;
}
