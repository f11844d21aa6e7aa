#include "views/about_view.h"

#include "views/view_style.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The application icon at 80 × 80, clipped to a rounded square.
QPixmap roundedIcon(const QIcon& icon, qreal dpr)
{
    const int side = AboutView::iconSize;
    QPixmap out(QSize(side, side) * dpr);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, side, side), 18, 18);
    p.setClipPath(clip);
    icon.paint(&p, QRect(0, 0, side, side), Qt::AlignCenter);
    return out;
}
}  // namespace

AboutView::AboutView(QString appName_, QString version_, QString detail_, QString okTitle_,
                     std::function<void()> onDismiss, QWidget* parent)
    : QWidget(parent),
      appName(std::move(appName_)),
      version(std::move(version_)),
      detail(std::move(detail_)),
      okTitle(std::move(okTitle_)),
      onDismiss_(std::move(onDismiss))
{
    setFixedSize(width, height);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    column->addStretch(1);

    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) {
        icon_ = new QLabel(this);
        icon_->setFixedSize(iconSize, iconSize);
        icon_->setPixmap(roundedIcon(appIcon, devicePixelRatioF()));
        column->addWidget(icon_, 0, Qt::AlignHCenter);
    }

    auto* name = new QLabel(appName, this);
    name->setFont(viewstyle::font(18, QFont::DemiBold));
    name->setAlignment(Qt::AlignCenter);
    column->addWidget(name, 0, Qt::AlignHCenter);

    versionLabel_ = new QLabel(version, this);
    versionLabel_->setFont(viewstyle::font(12));
    versionLabel_->setAlignment(Qt::AlignCenter);
    column->addWidget(versionLabel_, 0, Qt::AlignHCenter);

    detailLabel_ = new QLabel(detail, this);
    detailLabel_->setFont(viewstyle::font(12));
    detailLabel_->setAlignment(Qt::AlignCenter);
    detailLabel_->setWordWrap(true);
    detailLabel_->setContentsMargins(20, 0, 20, 0);
    column->addWidget(detailLabel_);

    column->addSpacing(8);
    ok_ = new QPushButton(okTitle, this);
    ok_->setFont(viewstyle::font(11));
    ok_->setFixedWidth(100);
    ok_->setDefault(true);
    // Filled with the accent colour, as the one prominent action here.
    ok_->setStyleSheet(QStringLiteral(
        "QPushButton { background: palette(highlight); color: palette(highlighted-text);"
        " border: none; border-radius: 5px; padding: 3px 8px; }"
        "QPushButton:pressed { background: palette(dark); }"));
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (onDismiss_)
            onDismiss_();
    });
    column->addWidget(ok_, 0, Qt::AlignHCenter);
    column->addStretch(1);

    applySecondaryColour();
}

void AboutView::applySecondaryColour()
{
    // The secondary style: the text colour, faded, so it follows the theme.
    QColor secondary = palette().color(QPalette::WindowText);
    secondary.setAlphaF(0.6f);
    for (QLabel* label : {versionLabel_, detailLabel_}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, secondary);
        label->setPalette(p);
    }
}

void AboutView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        applySecondaryColour();
    QWidget::changeEvent(event);
}

void AboutView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
}
