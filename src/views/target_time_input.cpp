#include "views/target_time_input.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/accessibility.h"
#include "views/number_field.h"
#include "views/symbol.h"
#include "views/view_style.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

using namespace viewstyle;

namespace {
// The accent capsule with a clock and the length.
class LengthCapsule final : public QWidget {
public:
    using QWidget::QWidget;

    void setText(const QString& text)
    {
        if (text_ == text)
            return;
        const bool resize = text_.size() != text.size();
        text_ = text;
        if (resize)
            updateGeometry();
        update();
    }
    const QString& text() const { return text_; }

    QSize sizeHint() const override
    {
        const QFontMetrics fm(textFont());
        return {12 + 12 + 4 + fm.horizontalAdvance(text_) + 12, fm.height() + 12};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect());
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        const QColor ink = accent(palette());
        p.fillPath(capsule, withAlpha(ink, 0.1));
        symbol::paint(p, QRectF(12, 0, 12, r.height()), QStringLiteral("clock"), 12, ink);
        p.setFont(textFont());
        p.setPen(ink);
        p.drawText(QRectF(28, 0, r.width() - 40, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text_);
    }

private:
    static QFont textFont() { return digitsFont(14, QFont::Medium); }
    QString text_;
};
}  // namespace

QString TargetTimeInput::formatDuration(qint64 s, const LocalizationManager& l10n)
{
    const qint64 h = s / 3600;
    const qint64 m = (s % 3600) / 60;
    const qint64 r = s % 60;
    const QString min = l10n.localized("unit.min");
    const QString sec = l10n.localized("unit.second");
    if (s >= 3600)
        return QString::number(h) + l10n.localized("unit.hour") + QString::number(m) + min + QString::number(r) + sec;
    if (s >= 60)
        return QString::number(m) + min + QString::number(r) + sec;
    return QString::number(r) + sec;
}

NumberField* TargetTimeInput::makeField(QLabel*& caption, const char* name)
{
    caption = new QLabel(this);
    caption->setFont(viewstyle::font(11, QFont::Medium));
    caption->setAlignment(Qt::AlignCenter);
    auto* field = new NumberField(this);
    field->setObjectName(QString::fromLatin1(name));
    // The placeholder shows what an emptied field counts to.
    field->setPlaceholderText(QStringLiteral("0"));
    field->setEmptyValue(0);
    field->setDigitsFont(digitsFont(24, QFont::Medium));
    // 56 for the text, padded 4 on each side, the background under all.
    field->setFixedSize(fieldWidth + 2 * fieldPadding, fieldHeight);
    field->setTextMargins(fieldPadding, 0, fieldPadding, 0);
    return field;
}

TargetTimeInput::TargetTimeInput(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addStretch(1);

    caption_ = new QLabel(this);
    caption_->setFont(viewstyle::font(14, QFont::Medium));
    column->addWidget(caption_, 0, Qt::AlignHCenter);

    hour_ = makeField(hourCaption_, "target.hour");
    minute_ = makeField(minuteCaption_, "target.minute");
    colon_ = new QLabel(QStringLiteral(":"), this);
    colon_->setFont(viewstyle::font(24, QFont::Thin));
    centreColon();
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addStretch(1);
    const auto addField = [this, row](QLabel* cap, NumberField* field) {
        auto* box = new QVBoxLayout;
        box->setSpacing(3);
        box->addWidget(cap, 0, Qt::AlignHCenter);
        box->addWidget(field, 0, Qt::AlignHCenter);
        row->addLayout(box);
    };
    addField(hourCaption_, hour_);
    row->addWidget(colon_, 0, Qt::AlignBottom);
    addField(minuteCaption_, minute_);
    row->addStretch(1);
    column->addLayout(row);

    capsule_ = new LengthCapsule(this);
    capsule_->setObjectName(QStringLiteral("target.length"));
    hint_ = new QLabel(this);
    hint_->setFont(viewstyle::font(11));
    column->addWidget(capsule_, 0, Qt::AlignHCenter);
    column->addWidget(hint_, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(hour_, &NumberField::valueEdited, this, [this](qint64 v) { timer_.targetHour = v; });
    connect(minute_, &NumberField::valueEdited, this, [this](qint64 v) { timer_.targetMinute = v; });

    // The idle length follows the clock, which publishes nothing: redraw it
    // on each new wall-clock second while it is on screen.
    refresh_.setSingleShot(true);
    refresh_.setTimerType(Qt::CoarseTimer);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        sync();
        updateRefresh();
        Q_EMIT clockAdvanced();
    });
    sync();
}

void TargetTimeInput::centreColon()
{
    // As tall as the boxes and level with them, with the dots' middle (not
    // the line's, which lies above it) on the boxes' middle.
    const QFontMetricsF fm(colon_->font());
    const qreal inkCentre = (fieldHeight - fm.height()) / 2 + fm.ascent() + fm.tightBoundingRect(QStringLiteral(":")).center().y();
    const int shift = qRound(2 * (inkCentre - fieldHeight / 2.0));
    colon_->setFixedHeight(fieldHeight);
    colon_->setAlignment(Qt::AlignCenter);
    colon_->setContentsMargins(0, qMax(0, -shift), 0, qMax(0, shift));
}

void TargetTimeInput::sync()
{
    const bool locked = timer_.isRunning;
    const QPalette& pal = palette();
    caption_->setText(l10n_.localized("target.to"));
    hourCaption_->setText(l10n_.localized("target.hour"));
    minuteCaption_->setText(l10n_.localized("target.minute"));
    for (QLabel* l : {caption_, hourCaption_, minuteCaption_, hint_})
        setInk(l, secondary(pal));
    setInk(colon_, tertiary(pal));
    accessibility::setName(hour_, hourCaption_->text());
    accessibility::setName(minute_, minuteCaption_->text());
    hour_->setEnabled(!locked);
    minute_->setEnabled(!locked);
    hour_->setLook(0.07, 0.12, 8);
    minute_->setLook(0.07, 0.12, 8);
    hour_->setValue(timer_.targetHour);
    minute_->setValue(timer_.targetMinute);

    const qint64 d = timer_.displaySeconds();
    auto* capsule = static_cast<LengthCapsule*>(capsule_);
    if (d > 0) {
        capsule->setText(formatDuration(d, l10n_));
        // Only a capsule on screen speaks; showing the page syncs.
        if (isVisible())
            accessibility::setName(capsule, capsule->text());
        capsule->setVisible(true);
        hint_->setVisible(false);
    } else {
        capsule->setVisible(false);
        hint_->setText(l10n_.localized("target.insufficient"));
        hint_->setVisible(timer_.isRunning || timer_.isPaused);
    }
    updateRefresh();
}

QString TargetTimeInput::lengthText() const
{
    return capsule_->isVisibleTo(this) ? static_cast<LengthCapsule*>(capsule_)->text() : QString();
}

QString TargetTimeInput::hintText() const
{
    return hint_->isVisibleTo(this) ? hint_->text() : QString();
}

void TargetTimeInput::updateRefresh()
{
    const bool idle = !timer_.isRunning && !timer_.isPaused && !timer_.isRinging;
    const bool wanted = idle && isVisible() && timer_.mode == TimerMode::targetTime;
    if (!wanted) {
        refresh_.stop();
        return;
    }
    if (!refresh_.isActive())
        refresh_.start(int(1000 - QDateTime::currentMSecsSinceEpoch() % 1000) + 5);
}

void TargetTimeInput::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    sync();
}

void TargetTimeInput::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    refresh_.stop();
}
