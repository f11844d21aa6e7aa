#include "views/number_field.h"

#include "views/view_style.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QValidator>

namespace {
// Refuses keystrokes and pastes that would not leave a whole number, while
// letting an empty field or a lone sign stand during typing.
class WholeNumberValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        const QString t = input.trimmed();
        const QLocale l = locale();
        if (t.isEmpty() || t == l.negativeSign() || t == l.positiveSign() || t == QLatin1String("-")
            || t == QLatin1String("+"))
            return Intermediate;
        return NumberField::parse(t, l) ? Acceptable : Invalid;
    }
};
}  // namespace

NumberField::NumberField(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new WholeNumberValidator(this));
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    setText(locale().toString(value_));
    connect(this, &QLineEdit::textEdited, this, &NumberField::onTextEdited);
    connect(this, &QLineEdit::editingFinished, this, &NumberField::restoreText);
    applyLook();
}

std::optional<qint64> NumberField::parse(const QString& text, const QLocale& locale)
{
    QString t = text.trimmed();
    t.remove(locale.groupSeparator());
    if (locale.groupSeparator() == QStringLiteral("\u00a0"))
        t.remove(QLatin1Char(' '));
    bool ok = false;
    qint64 v = locale.toLongLong(t, &ok);
    if (!ok)
        v = QLocale::c().toLongLong(t, &ok);
    if (!ok)
        return std::nullopt;
    return v;
}

void NumberField::setValue(qint64 value)
{
    value_ = value;
    if (parse(text(), locale()) == value)
        return;
    const int cursor = cursorPosition();
    setText(locale().toString(value));
    if (hasFocus())
        setCursorPosition(qMin(cursor, int(text().size())));
}

void NumberField::onTextEdited(const QString& text)
{
    if (const auto v = parse(text, locale())) {
        value_ = *v;
        Q_EMIT valueEdited(*v);
    }
}

void NumberField::restoreText()
{
    if (!parse(text(), locale()))
        setText(locale().toString(value_));
}

void NumberField::setLook(double fillOpacity, double strokeOpacity, int radius)
{
    if (fillOpacity_ == fillOpacity && strokeOpacity_ == strokeOpacity && radius_ == radius)
        return;
    fillOpacity_ = fillOpacity;
    strokeOpacity_ = strokeOpacity;
    radius_ = radius;
    update();
}

void NumberField::applyLook()
{
    // Only the field's own fill is see-through; text colours stay the theme's.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);
    update();
}

void NumberField::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath shape;
        shape.addRoundedRect(box, radius_, radius_);
        p.fillPath(shape, viewstyle::gray(palette(), fillOpacity_));
        p.strokePath(shape, QPen(viewstyle::gray(palette(), strokeOpacity_), 1));
        if (hasFocus()) {
            QPainterPath ring;
            ring.addRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius_ - 0.5, radius_ - 0.5);
            p.strokePath(ring, QPen(viewstyle::withAlpha(viewstyle::accent(palette()), 0.7), 2));
        }
    }
    QLineEdit::paintEvent(event);
}

void NumberField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::LocaleChange:
        setText(locale().toString(value_));
        break;
    default:
        break;
    }
}
