#pragma once

#include "views/focus_button.h"
#include "views/shaped_text.h"

#include <QFont>

// Every button of the timer window: one painted control with a few looks,
// so the window looks the same on every desktop style and theme. Space and
// Enter activate it; a focus ring shows when it was reached by keyboard.
class FlatButton final : public FocusButton {
    Q_OBJECT
public:
    enum class Look {
        prominent,  // filled with the tint, white text
        bordered,   // soft gray fill, primary text
        chip,       // small gray capsule with a hairline
        segment,    // capsule filled with the accent when selected
        card,       // rounded card, accent when selected, number and unit
        icon,       // symbol alone, no background
        stepper,    // small bordered square with a symbol
    };
    enum class Tint { accent, red };

    explicit FlatButton(Look look, QWidget* parent = nullptr);

    Look look() const { return look_; }
    void setTint(Tint tint);
    Tint tint() const { return tint_; }
    // A symbol name from the window's symbol set; empty for none.
    void setSymbol(const QString& name, int side);
    QString symbol() const { return symbol_; }
    // A second, smaller text after the main one (the unit of a card).
    void setDetail(const QString& detail);
    QString detail() const { return detail_; }
    void setTextFont(const QFont& font);
    void setDetailFont(const QFont& font);
    // The highlighted state of segments and cards (they do not toggle);
    // for a choice also its checked state.
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    void setMinimumContentHeight(int height);
    void setHorizontalPadding(int padding);
    // Sets the text, which is also the accessible name (with the detail,
    // when there is one).
    void setLabel(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Ink {
        QColor fill, stroke, text, shadow;
    };
    Ink ink() const;
    qreal radius(const QRectF& shape) const;
    int contentWidth() const;
    // Layouts ask for the size again and again, and shaping text is not
    // free: each text is shaped once per font and drawn from that.
    const ShapedText& shapedText() const;
    const ShapedText& shapedDetail() const;

    Look look_;
    Tint tint_ = Tint::accent;
    QString symbol_;
    int symbolSide_ = 0;
    QString detail_;
    QFont textFont_;
    QFont detailFont_;
    bool selected_ = false;
    int minContentHeight_ = 0;
    int hPadding_ = 10;
    mutable ShapedText textShape_;
    mutable ShapedText detailShape_;
};
