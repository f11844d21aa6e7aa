#pragma once

#include "views/shaped_text.h"

#include <QColor>
#include <QList>
#include <QVariantAnimation>
#include <QWidget>

class TimerManager;

// The ring in the upper half of the window: a faint track, a gradient arc
// from twelve o'clock clockwise for the progress, the large read-out and a
// status line with a coloured dot. It repaints only when what it shows
// changes; each new second glides the arc's end over 0.12 s.
class ProgressRing final : public QWidget {
    Q_OBJECT
public:
    // The frame the window lays out; the stroke is centred on the circle
    // inscribed in it, so half the line and the arc's shadow reach `bleed`
    // beyond it, and the widget is that much larger on every side.
    static constexpr int side = 152;
    static constexpr int lineWidth = 9;
    static constexpr int bleed = 10;
    static constexpr int readoutMaxWidth = 110;
    static constexpr int glideMs = 120;
    // The smallest step of the arc, in pixels along it, that glides.
    static constexpr double minGlidePixels = 1.5;

    struct State {
        double progress = 0;
        qint64 remainingSeconds = 0;
        QString display;
        QString status;
        bool ringing = false;
        bool running = false;
        bool paused = false;
        bool operator==(const State&) const = default;
    };

    explicit ProgressRing(QWidget* parent = nullptr);

    static State stateOf(const TimerManager& timer);
    void setState(const State& state);
    const State& state() const { return state_; }

    // The four gradient colours, the first repeated last, and the dot's.
    QList<QColor> ringGradientColors() const;
    QColor statusDotColor() const;
    // The progress the arc is drawn to now (mid-glide it trails state()).
    double drawnProgress() const { return drawn_; }

    QSize sizeHint() const override { return {side + 2 * bleed, side + 2 * bleed}; }
    // The laid-out frame within the widget.
    static QRectF frame() { return {bleed, bleed, side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    State state_;
    // The arc glides several frames a second; the texts change once.
    ShapedText readout_;
    ShapedText status_;
    double drawn_ = 0;
    QVariantAnimation glide_;
};
