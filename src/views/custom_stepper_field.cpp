#include "views/custom_stepper_field.h"

#include "views/accessibility.h"
#include "views/flat_button.h"
#include "views/number_field.h"
#include "views/view_style.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

CustomStepperField::CustomStepperField(qint64 lower, qint64 upper, Getter get, Setter set, QWidget* parent)
    : QWidget(parent), lower_(lower), upper_(upper), get_(std::move(get)), set_(std::move(set))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    caption_ = new QLabel(this);
    caption_->setFont(viewstyle::font(10, QFont::Medium));
    caption_->setAlignment(Qt::AlignCenter);
    column->addWidget(caption_, 0, Qt::AlignHCenter);

    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    const auto makeStep = [this](const QString& symbolName) {
        auto* b = new FlatButton(FlatButton::Look::stepper, this);
        b->setSymbol(symbolName, 9);
        b->setFixedSize(20, 20);
        return b;
    };
    // Made in the order they read, which Tab follows.
    minus_ = makeStep(QStringLiteral("minus"));
    field_ = new NumberField(this);
    plus_ = makeStep(QStringLiteral("plus"));
    const QFont digits = viewstyle::digitsFont(22, QFont::Light);
    field_->setDigitsFont(digits);
    field_->setFixedWidth(52);
    field_->setFixedHeight(QFontMetrics(digits).height() + 8);
    row->addWidget(minus_);
    row->addWidget(field_);
    row->addWidget(plus_);
    column->addLayout(row);

    connect(minus_, &FlatButton::clicked, this, [this] {
        if (get_() > lower_)
            set_(get_() - 1);
    });
    connect(plus_, &FlatButton::clicked, this, [this] {
        if (get_() < upper_)
            set_(get_() + 1);
    });
    connect(field_, &NumberField::valueEdited, this, [this](qint64 v) { set_(v); });
}

void CustomStepperField::sync(const QString& label, bool locked, const QString& decrease, const QString& increase)
{
    const qint64 v = get_();
    if (caption_->text() != label)
        caption_->setText(label);
    viewstyle::setInk(caption_, viewstyle::secondary(palette()));
    minus_->setEnabled(!locked && v > lower_);
    plus_->setEnabled(!locked && v < upper_);
    accessibility::setName(minus_, decrease);
    accessibility::setName(plus_, increase);
    accessibility::setName(field_, label);
    field_->setEnabled(!locked);
    field_->setLook(locked ? 0.03 : 0.07, locked ? 0.05 : 0.1, 8);
    field_->setValue(v);
}
