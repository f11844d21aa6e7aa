#include "views/content_view.h"

#include "localization/localization_manager.h"
#include "platform/app_notification_center.h"
#include "timer/timer_manager.h"
#include "views/accessibility.h"
#include "views/control_section.h"
#include "views/custom_input.h"
#include "views/flat_button.h"
#include "views/mode_selector.h"
#include "views/preset_grid.h"
#include "views/progress_ring.h"
#include "views/ringing_overlay.h"
#include "views/settings_popover.h"
#include "views/settings_view.h"
#include "views/shortcut_relay.h"
#include "views/target_time_input.h"
#include "views/view_style.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace viewstyle;

namespace {
constexpr int cornerRadius = 12;
constexpr int gearSide = 28;

// The descendants of `root` that can take the focus, in the order they were
// made, which is the order they read in.
QList<QWidget*> focusablesOf(QWidget* root)
{
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.removeIf([](QWidget* w) { return w->focusPolicy() == Qt::NoFocus; });
    return all;
}
}  // namespace

ContentView::ContentView(QWidget* parent) : ContentView(TimerManager::shared(), LocalizationManager::shared(), parent)
{
}

ContentView::ContentView(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n), lastMode_(timer.mode)
{
    accessibility::install();
    setObjectName(QStringLiteral("contentView"));
    setFixedSize(width, height);
    setFocusPolicy(Qt::ClickFocus);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 0, 20, 0);
    column->setSpacing(0);
    column->addStretch(1);

    header_ = new QLabel(this);
    header_->setObjectName(QStringLiteral("header"));
    header_->setFont(viewstyle::font(13));
    header_->setAlignment(Qt::AlignCenter);
    header_->setFixedHeight(24);
    column->addWidget(header_);

    column->addSpacing(14 - ProgressRing::bleed);
    ring_ = new ProgressRing(this);
    column->addWidget(ring_, 0, Qt::AlignHCenter);
    column->addSpacing(14 - ProgressRing::bleed);

    modes_ = new ModeSelector(timer, l10n, this);
    column->addWidget(modes_, 0, Qt::AlignHCenter);
    column->addSpacing(6);

    pages_ = new QStackedWidget(this);
    pages_->setFixedHeight(modeContentHeight);
    presets_ = new PresetGrid(timer, l10n, pages_);
    pages_->addWidget(presets_);
    column->addWidget(pages_);

    column->addSpacing(8);
    controls_ = new ControlSection(timer, l10n, this);
    column->addWidget(controls_);
    column->addSpacing(10);
    column->addStretch(1);

    overlay_ = new RingingOverlay(timer, l10n, this);
    overlay_->setGeometry(rect());

    gear_ = new FlatButton(FlatButton::Look::icon, this);
    gear_->setObjectName(QStringLiteral("gear"));
    gear_->setSymbol(QStringLiteral("gearshape"), 13);
    gear_->setHorizontalPadding(0);
    gear_->setGeometry(width - 12 - gearSide, 8, gearSide, gearSide);
    gear_->raise();

    popover_ = new SettingsPopover(this);
    // Keys the panel does not use reach the main menu's shortcuts.
    popover_->installEventFilter(this);
    // A fresh panel each time the popover opens, on the same timer and texts.
    popover_->setContentFactory([this](QWidget* parent, std::function<void()> close) {
        return new SettingsView(timer_, l10n_, std::move(close), parent);
    });
    connect(gear_, &FlatButton::clicked, this, [this] { setShowSettings(true); });
    AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, this,
                                                       [this] { setShowSettings(true); });

    // Escape ends the alarm, wherever the focus is in the window.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (timer_.isRinging) {
            timer_.stopRinging();
            timer_.reset();
        }
    });

    // objectWillChange comes before a value is stored: read after it.
    connect(&timer, &TimerManager::objectWillChange, this, &ContentView::scheduleSync);
    connect(&l10n, &LocalizationManager::objectWillChange, this, &ContentView::scheduleSync);
    cancellables_.push_back(
        timer.mode.sink(receiveOnMain<TimerMode>(this, [this](TimerMode mode) { onModeChanged(mode); })));
    restoreTabOrder();
    sync();
}

ContentView::~ContentView() = default;

void ContentView::onModeChanged(TimerMode mode)
{
    if (mode == lastMode_)
        return;
    lastMode_ = mode;
    timer_.reset();
}

QString ContentView::titleText() const
{
    if (timer_.isRinging)
        return l10n_.localized("title.timeup");
    if (timer_.isRunning && !timer_.isPaused)
        return l10n_.localized("title.counting").arg(timer_.formattedDisplay());
    if (timer_.isPaused)
        return l10n_.localized("title.paused").arg(timer_.formattedDisplay());
    return l10n_.localized("title.default");
}

bool ContentView::showSettings() const
{
    return popover_->isOpen();
}

void ContentView::setShowSettings(bool show)
{
    if (!show) {
        popover_->hide();
        return;
    }
    const bool wasOpen = popover_->isOpen();
    const bool keyboard = gear_->hasKeyboardFocus() || !gear_->underMouse();
    popover_->openUnder(gear_);
    // The panel takes the keyboard as it opens, at its first control, so
    // a screen reader follows it there.
    if (wasOpen || !popover_->content())
        return;
    for (QWidget* w = popover_->content()->nextInFocusChain(); popover_->content()->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(popover_) && w->isEnabled()) {
            w->setFocus(keyboard ? Qt::TabFocusReason : Qt::PopupFocusReason);
            break;
        }
    }
}

CustomInput* ContentView::customInput() const
{
    if (!custom_) {
        custom_ = new CustomInput(timer_, l10n_, pages_);
        addPage(custom_);
    }
    return custom_;
}

TargetTimeInput* ContentView::targetTimeInput() const
{
    if (!target_) {
        target_ = new TargetTimeInput(timer_, l10n_, pages_);
        connect(target_, &TargetTimeInput::clockAdvanced, this, [this] { ring_->setState(ProgressRing::stateOf(timer_)); });
        addPage(target_);
    }
    return target_;
}

void ContentView::addPage(QWidget* page) const
{
    pages_->addWidget(page);
    // Made late, the page comes last in the Tab order; it belongs between
    // the mode selector and the controls.
    restoreTabOrder();
}

void ContentView::restoreTabOrder() const
{
    QList<QWidget*> order{gear_};
    order += focusablesOf(modes_);
    for (int i = 0; i < pages_->count(); ++i)
        order += focusablesOf(pages_->widget(i));
    order += focusablesOf(controls_);
    order += overlay_;
    order += focusablesOf(overlay_);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QWidget* ContentView::modeContent() const
{
    return pages_->currentWidget();
}

void ContentView::scheduleSync()
{
    // The engine changes ten times a second while it counts; a hidden window
    // has nothing to show, and showing it syncs.
    if (syncPending_ || !isVisible())
        return;
    syncPending_ = true;
    QMetaObject::invokeMethod(this, &ContentView::sync, Qt::QueuedConnection);
}

void ContentView::sync()
{
    syncPending_ = false;
    const QString title = titleText();
    if (header_->text() != title)
        header_->setText(title);
    ring_->setState(ProgressRing::stateOf(timer_));
    const double ringValue = accessibility::percentOf(ring_->state().progress);
    if (ringValue != ringValue_) {
        ringValue_ = ringValue;
        QAccessibleValueChangeEvent changed(ring_, ringValue);
        QAccessible::updateAccessibility(&changed);
    }
    modes_->sync();
    QWidget* page = timer_.mode == TimerMode::custom       ? static_cast<QWidget*>(customInput())
                     : timer_.mode == TimerMode::targetTime ? static_cast<QWidget*>(targetTimeInput())
                                                            : presets_;
    pages_->setCurrentWidget(page);
    presets_->sync();
    if (custom_)
        custom_->sync();
    if (target_)
        target_->sync();
    const bool ringing = timer_.isRinging;
    // The card comes up and takes the focus before the controls change
    // under it, and goes away only once the focus is back on the controls.
    if (ringing) {
        overlay_->sync();
        syncFocusWithRinging(true);
    }
    controls_->sync();
    if (!ringing) {
        syncFocusWithRinging(false);
        overlay_->sync();
    }
    gear_->setEnabled(!timer_.isRinging);
    const QString settings = l10n_.localized("status.settings").remove(QChar(0x2026)).remove(QStringLiteral("...")).trimmed();
    if (gear_->accessibleName() != settings) {
        gear_->setAccessibleName(settings);
        gear_->setToolTip(settings);
    }
    accessibility::setName(popover_, l10n_.localized("settings.title"));
    // The view itself holds the focus at first (Space starts from there).
    accessibility::setName(this, l10n_.localized("title.default"));
    // The gear stays above the overlay, which raises itself when it shows.
    if (children().constLast() != gear_)
        gear_->raise();
}

void ContentView::syncFocusWithRinging(bool ringing)
{
    if (ringing == wasRinging_)
        return;
    wasRinging_ = ringing;
    QWidget* focused = focusWidget();
    auto* button = qobject_cast<FocusButton*>(focused);
    const Qt::FocusReason reason = button && button->hasKeyboardFocus() ? Qt::TabFocusReason : Qt::OtherFocusReason;
    if (ringing) {
        overlay_->takeFocus(reason);
        return;
    }
    // Back to the main button, unless the focus already went elsewhere on
    // purpose (a page field, the panel).
    if (!focused || focused == this || overlay_->isAncestorOf(focused) || focused == overlay_)
        controls_->focusTarget()->setFocus(reason);
}

bool ContentView::focusNextPrevChild(bool next)
{
    // While it rings the card is all there is to the keyboard.
    if (!timer_.isRinging)
        return QWidget::focusNextPrevChild(next);
    const QList<FlatButton*> buttons = overlay_->focusableButtons();
    if (buttons.isEmpty()) {
        overlay_->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    const qsizetype at = buttons.indexOf(focusWidget());
    const qsizetype n = buttons.size();
    const qsizetype to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    buttons[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool ContentView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == popover_ && event->type() == QEvent::KeyPress
        && shortcutrelay::relay(static_cast<QKeyEvent*>(event), popover_)) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ContentView::openContextMenu()
{
    // The same request the context-menu key makes, from the focused control
    // up to the window that owns the menu.
    QWidget* target = focusWidget() ? focusWidget() : this;
    const QPoint at = target->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &request);
}

void ContentView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    const QPalette& pal = palette();
    p.fillPath(shape, pal.color(QPalette::Window));
    QLinearGradient wash(rect().topLeft(), rect().bottomRight());
    wash.setColorAt(0, withAlpha(blue(pal), 0.04));
    wash.setColorAt(1, withAlpha(purple(pal), 0.06));
    p.fillPath(shape, wash);
}

void ContentView::keyPressEvent(QKeyEvent* event)
{
    // Space starts or pauses unless a text field is taking the typing.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier
        && !qobject_cast<QLineEdit*>(focusWidget())) {
        // While it rings, only the card's buttons can be reached.
        if (timer_.isRinging)
            overlay_->defaultButton()->click();
        else
            controls_->triggerDefault();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        openContextMenu();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ContentView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::LocaleChange)
        scheduleSync();
}

void ContentView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Start with the focus on the window itself, so Space starts at once
    // and Tab walks the controls from the first.
    if (!focusedOnce_) {
        focusedOnce_ = true;
        setFocus(Qt::OtherFocusReason);
    }
    sync();
}
