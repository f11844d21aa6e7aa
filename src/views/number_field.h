#pragma once

#include <QLineEdit>
#include <optional>

// An editable whole number shown in the user's locale. Every edit that
// parses is reported at once; text that is not a whole number or does not
// fit in 64 bits is refused, so the field keeps its last value. Leaving the
// field with nothing in it puts the stored value back.
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

    // Background fill and hairline opacities (they dim while locked).
    void setLook(double fillOpacity, double strokeOpacity, int radius);

Q_SIGNALS:
    void valueEdited(qint64 value);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void onTextEdited(const QString& text);
    void restoreText();
    void applyLook();

    qint64 value_ = 0;
    double fillOpacity_ = 0.07;
    double strokeOpacity_ = 0.1;
    int radius_ = 8;
};
