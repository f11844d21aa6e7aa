#pragma once

#include <QLineEdit>
#include <optional>

// An editable whole number shown in the user's locale. Every edit that
// parses is reported at once; text that is not a whole number or does not
// fit in 64 bits is refused, so the field keeps its last value. Leaving the
// field with nothing in it puts the stored value back, unless an empty
// field stands for a value of its own (setEmptyValue). A number too long
// for the field is drawn smaller rather than cut.
class NumberField final : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberField(QWidget* parent = nullptr);

    // The number `text` stands for in `locale`, group separators allowed
    // anywhere; none when it is not a whole number that fits.
    static std::optional<qint64> parse(const QString& text, const QLocale& locale);

    // Shows `value` unless the text already stands for it (so typing "007"
    // is not rewritten under the cursor).
    void setValue(qint64 value);
    qint64 value() const { return value_; }

    // What an empty field means: it is stored at once, and the field may
    // show its placeholder for it. None: empty is not a value.
    void setEmptyValue(std::optional<qint64> value) { emptyValue_ = value; }

    // The font at its full size; the field draws smaller when the text
    // would not fit.
    void setDigitsFont(const QFont& font);
    // Whether all of the text is drawn, without scrolling.
    bool showsWholeText() const;

    // Background fill and hairline opacities (they dim while locked).
    void setLook(double fillOpacity, double strokeOpacity, int radius);

Q_SIGNALS:
    void valueEdited(qint64 value);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onTextEdited(const QString& text);
    void restoreText();
    void applyLook();
    std::optional<qint64> valueOf(const QString& text) const;
    int textRoom() const;
    void fitFont();

    qint64 value_ = 0;
    std::optional<qint64> emptyValue_;
    QFont digitsFont_;
    double fillOpacity_ = 0.07;
    double strokeOpacity_ = 0.1;
    int radius_ = 8;
};
