#include "views/settings_view.h"

#include "localization/localization_manager.h"
#include "platform/login_item.h"
#include "services/update_service.h"
#include "services/updater.h"
#include "services/updater_controller.h"
#include "timer/timer_manager.h"
#include "views/accessibility.h"
#include "views/divider.h"
#include "views/flat_button.h"
#include "views/settings_option_group.h"
#include "views/settings_option_row.h"
#include "views/settings_switch_row.h"
#include "views/switch_toggle.h"
#include "views/theme.h"
#include "views/view_style.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <cstdio>

using namespace viewstyle;

namespace {
constexpr int padding = 16;
constexpr int headerTop = 32;
constexpr int closeSide = 18;
constexpr int closingSpace = 16;

QLabel* textLabel(int pixelSize, QFont::Weight weight, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(font(pixelSize, weight));
    label->setFixedHeight(lineHeight(pixelSize));
    return label;
}
}  // namespace

SettingsView::SettingsView(TimerManager& timer, LocalizationManager& l10n, std::function<void()> dismiss,
                           QWidget* parent, Services services)
    : QWidget(parent), timer_(timer), l10n_(l10n), dismiss_(std::move(dismiss)), services_(std::move(services))
{
    if (!services_.theme)
        services_.theme = &Theme::shared();
    if (!services_.loginItem)
        services_.loginItem = &LoginItem::shared();
    if (!services_.checkForUpdates)
        services_.checkForUpdates = [] { UpdateService::shared().controller()->updater().checkForUpdates(); };
    setObjectName(QStringLiteral("settingsView"));
    setFixedSize(width, height);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(padding, headerTop, padding, padding);
    title_ = textLabel(14, QFont::DemiBold, this);
    close_ = new FlatButton(FlatButton::Look::icon, this);
    close_->setObjectName(QStringLiteral("settingsClose"));
    close_->setSymbol(QStringLiteral("xmark.circle.fill"), 16);
    close_->setHorizontalPadding(0);
    close_->setFixedSize(closeSide, closeSide);
    connect(close_, &FlatButton::clicked, this, [this] {
        if (dismiss_)
            dismiss_();
    });
    header->addWidget(title_);
    header->addStretch(1);
    header->addWidget(close_);
    column->addLayout(header);
    column->addWidget(new Divider(0, this));

    column->addSpacing(10);
    launch_ = new SettingsSwitchRow(QStringLiteral("power"), this);
    connect(launch_->toggle(), &SwitchToggle::clicked, this, [this](bool on) {
        timer_.setLaunchAtLogin(on);
        toggleLaunchAtLogin(on);
        sync();
    });
    column->addWidget(launch_);
    column->addSpacing(12);
    column->addWidget(new Divider(0, this));

    auto* notifications = new SettingsOptionGroup(this);
    for (NotificationType type : allNotificationTypes) {
        SettingsOptionRow* row = notifications->addOption(symbolName(type));
        connect(row, &SettingsOptionRow::clicked, this, [this, type] {
            timer_.setNotificationType(type);
            sync();
        });
        notificationRows_.append(row);
    }
    column->addWidget(section(notifyTitle_, notifications, 14, 0));
    column->addSpacing(12);
    column->addWidget(new Divider(0, this));

    bringFront_ = new SettingsSwitchRow(QStringLiteral("arrow.up.right.square"), this);
    connect(bringFront_->toggle(), &SwitchToggle::clicked, this, [this](bool on) {
        timer_.setBringToFrontOnExpire(on);
        sync();
    });
    column->addWidget(bringFront_);
    column->addWidget(new Divider(0, this));

    restart_ = new SettingsSwitchRow(QStringLiteral("arrow.clockwise"), this);
    connect(restart_->toggle(), &SwitchToggle::clicked, this, [this](bool on) {
        timer_.setShowRestartOnExpire(on);
        sync();
    });
    column->addWidget(restart_);
    column->addWidget(new Divider(0, this));

    auto* themes = new SettingsOptionGroup(this);
    for (AppTheme theme : allAppThemes) {
        SettingsOptionRow* row = themes->addOption(symbolName(theme));
        connect(row, &SettingsOptionRow::clicked, this, [this, theme] {
            timer_.setAppTheme(theme);
            applyTheme(theme);
            sync();
        });
        themeRows_.append(row);
    }
    column->addWidget(section(themeTitle_, themes, 10, 18));
    column->addWidget(new Divider(0, this));

    update_ = new SettingsOptionRow(QStringLiteral("arrow.triangle.2.circlepath"), this);
    update_->setObjectName(QStringLiteral("settingsCheckUpdate"));
    update_->setPadding(padding, 10);
    connect(update_, &SettingsOptionRow::clicked, this, [this] {
        if (services_.checkForUpdates)
            services_.checkForUpdates();
    });
    column->addWidget(update_);
    auto* closing = new QSpacerItem(0, closingSpace, QSizePolicy::Minimum, QSizePolicy::Expanding);
    column->addSpacerItem(closing);

    // The rows' own paddings add up to a little more than the panel's
    // height; the header's top padding and the closing space give way first,
    // so the panel keeps its size and no row is cut.
    const int excess = column->sizeHint().height() - height;
    if (excess > 0) {
        const int fromTop = qMin(excess, headerTop - 8);
        header->setContentsMargins(padding, headerTop - fromTop, padding, padding);
        closing->changeSize(0, qMax(0, closingSpace - (excess - fromTop)), QSizePolicy::Minimum,
                            QSizePolicy::Expanding);
    }

    connect(&timer, &TimerManager::objectWillChange, this, &SettingsView::scheduleSync);
    connect(&l10n, &LocalizationManager::objectWillChange, this, &SettingsView::scheduleSync);
    sync();
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::section(QLabel*& title, QWidget* group, int titleTop, int bottom)
{
    auto* box = new QWidget(this);
    auto* stack = new QVBoxLayout(box);
    stack->setContentsMargins(padding, titleTop, padding, bottom);
    stack->setSpacing(8);
    title = textLabel(12, QFont::Medium, box);
    stack->addWidget(title);
    group->setParent(box);
    stack->addWidget(group);
    return box;
}

void SettingsView::scheduleSync()
{
    if (syncPending_)
        return;
    syncPending_ = true;
    QMetaObject::invokeMethod(this, &SettingsView::sync, Qt::QueuedConnection);
}

void SettingsView::sync()
{
    syncPending_ = false;
    const auto text = [this](const QString& key) { return l10n_.localized(key); };
    title_->setText(text(QStringLiteral("settings.title")));
    accessibility::setName(close_, text(QStringLiteral("menu.close")));
    setInk(title_, primary(palette()));
    launch_->setTexts(text(QStringLiteral("settings.launch")));
    launch_->toggle()->setChecked(timer_.launchAtLogin());

    notifyTitle_->setText(text(QStringLiteral("settings.notifyTitle")));
    setInk(notifyTitle_, secondary(palette()));
    const NotificationType type = timer_.notificationType();
    for (int i = 0; i < notificationRows_.size(); ++i) {
        const NotificationType rowType = allNotificationTypes[std::size_t(i)];
        notificationRows_[i]->setTexts(text(labelKey(rowType)), text(descriptionKey(rowType)));
        notificationRows_[i]->setSelected(rowType == type);
    }

    bringFront_->setTexts(text(QStringLiteral("settings.bringFront")), text(QStringLiteral("settings.bringFrontDesc")));
    bringFront_->toggle()->setChecked(timer_.bringToFrontOnExpire());
    restart_->setTexts(text(QStringLiteral("settings.showRestart")), text(QStringLiteral("settings.showRestartDesc")));
    restart_->toggle()->setChecked(timer_.showRestartOnExpire());

    themeTitle_->setText(text(QStringLiteral("settings.theme")));
    setInk(themeTitle_, secondary(palette()));
    const AppTheme theme = timer_.appTheme();
    for (int i = 0; i < themeRows_.size(); ++i) {
        const AppTheme rowTheme = allAppThemes[std::size_t(i)];
        themeRows_[i]->setTexts(text(labelKey(rowTheme)));
        themeRows_[i]->setSelected(rowTheme == theme);
    }
    update_->setTexts(text(QStringLiteral("settings.checkUpdate")));
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The stored theme is in force whenever the panel is shown.
    applyTheme(timer_.appTheme());
}

void SettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Section titles carry their own ink, taken from the palette.
    if (event->type() == QEvent::PaletteChange)
        scheduleSync();
}

void SettingsView::toggleLaunchAtLogin(bool on)
{
    QPointer<SettingsView> self(this);
    TimerManager* timer = &timer_;
    services_.loginItem->setRegistered(on, [self, timer, on](const QString& error) {
        if (error.isEmpty())
            return;
        timer->setLaunchAtLogin(!on);
        QString line = error;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stdout, "%s%s\n", loginItemFailure, line.toUtf8().constData());
        std::fflush(stdout);
        if (self)
            self->sync();
    });
}

void SettingsView::applyTheme(AppTheme theme)
{
    services_.theme->apply(theme);
}
