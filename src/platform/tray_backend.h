#pragma once

#include <QObject>
#include <QString>

class QMenu;

// What the tray picture shows: which state the countdown is in and how much
// of it is left.
enum class TrayState { idle, running, paused, ringing };

// One way of putting Lumora's item into the desktop's panel. The status item
// talks only to this, so a panel that shows text labels can get a backend of
// its own.
class TrayBackend : public QObject {
    Q_OBJECT
public:
    enum class Click { primary, secondary, middle };
    Q_ENUM(Click)

    using QObject::QObject;

    // Whether the desktop has a panel that shows the item at all.
    virtual bool isAvailable() const = 0;
    virtual void show() = 0;
    // The full title, prefix included; backends that cannot show text use it
    // as the tooltip.
    virtual void setTitle(const QString& title) = 0;
    // The widest text the title can take, for panels that keep room for the
    // label instead of resizing it; others ignore it.
    virtual void setTitleGuide(const QString& guide) { Q_UNUSED(guide); }
    // `remainingFraction` is in [0, 1]; backends redraw only when what they
    // draw changes.
    virtual void setProgress(TrayState state, double remainingFraction) = 0;
    // The menu opened from the item; not owned.
    virtual void setMenu(QMenu* menu) = 0;

Q_SIGNALS:
    void clicked(TrayBackend::Click click);
};
