#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

// The small top-level panel that opens under the gear button. It holds a
// freshly made content widget each time it opens, and closes on a click
// outside it, on Escape, or when the content asks.
class SettingsPopover final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 300;
    static constexpr int height = 590;
    static constexpr int gap = 4;

    // Makes the content; `close` hides the popover.
    using ContentFactory = std::function<QWidget*(QWidget* parent, std::function<void()> close)>;

    explicit SettingsPopover(QWidget* parent = nullptr);

    void setContentFactory(ContentFactory factory);
    // Opens under `anchor`, its right edge on the anchor's, kept on screen;
    // not while the anchor is disabled. It is transient for the anchor's
    // window, whose owner closes it before raising or hiding that window.
    void openUnder(QWidget* anchor);
    bool isOpen() const { return isVisible(); }
    QWidget* content() const { return content_; }

    // Where the popover's top-left goes for an anchor at `anchorGlobal`,
    // inside `screen` (the screen's available area).
    static QPoint placement(const QRect& anchorGlobal, const QRect& screen);

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ContentFactory factory_;
    QPointer<QWidget> content_;
};
