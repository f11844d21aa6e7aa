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
    connect(this, &QLineEdit::textChanged, this, &NumberField::fitFont);
    digitsFont_ = font();
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

std::optional<qint64> NumberField::valueOf(const QString& text) const
{
    if (emptyValue_ && text.trimmed().isEmpty())
        return emptyValue_;
    return parse(text, locale());
}

void NumberField::setValue(qint64 value)
{
    value_ = value;
    if (valueOf(text()) == value)
        return;
    const int cursor = cursorPosition();
    setText(locale().toString(value));
    if (hasFocus())
        setCursorPosition(qMin(cursor, int(text().size())));
}

void NumberField::onTextEdited(const QString& text)
{
    if (const auto v = valueOf(text)) {
        value_ = *v;
        Q_EMIT valueEdited(*v);
    }
}

void NumberField::restoreText()
{
    if (!valueOf(text()))
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

void NumberField::setDigitsFont(const QFont& font)
{
    digitsFont_ = font;
    fitFont();
}

int NumberField::textRoom() const
{
    // What QLineEdit leaves for the text: its frame-less margin of 2 on each
    // side and a pixel for the cursor.
    const QMargins m = textMargins();
    return contentsRect().width() - m.left() - m.right() - 2 * 2 - 1;
}

bool NumberField::showsWholeText() const
{
    return QFontMetrics(font()).horizontalAdvance(displayText()) <= textRoom();
}

void NumberField::fitFont()
{
    QFont f = digitsFont_;
    const int room = textRoom();
    const int full = QFontMetrics(f).horizontalAdvance(displayText());
    if (full > room && room > 0 && f.pixelSize() > 0) {
        int size = qMax(1, f.pixelSize() * room / full);
        f.setPixelSize(size);
        while (size > 1 && QFontMetrics(f).horizontalAdvance(displayText()) > room)
            f.setPixelSize(--size);
    }
    if (f != font())
        setFont(f);
}

void NumberField::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    fitFont();
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
