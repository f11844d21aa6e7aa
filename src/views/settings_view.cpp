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
#include <algorithm>
#include <array>
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

    launchTop_ = addGap(column, 10);
    launch_ = new SettingsSwitchRow(QStringLiteral("power"), this);
    connect(launch_->toggle(), &SwitchToggle::clicked, this, [this](bool on) {
        timer_.setLaunchAtLogin(on);
        toggleLaunchAtLogin(on);
        sync();
    });
    column->addWidget(launch_);
    launchBottom_ = addGap(column, 12);
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
    notifyBottom_ = addGap(column, 12);
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
    column->addSpacerItem(new QSpacerItem(0, closingSpace, QSizePolicy::Minimum, QSizePolicy::Expanding));
    header_ = header;
    column_ = column;

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
    (notifySection_ ? themeSection_ : notifySection_) = stack;
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
    // Every text shown, to tell whether the rows' heights may have changed.
    QString shown;
    const auto text = [this, &shown](const QString& key) {
        const QString t = l10n_.localized(key);
        shown += t + QChar(0);
        return t;
    };
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
    if (shown != fittedTexts_) {
        fittedTexts_ = shown;
        fitHeight();
    }
}

QSpacerItem* SettingsView::addGap(QVBoxLayout* column, int height)
{
    auto* gap = new QSpacerItem(0, height, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addSpacerItem(gap);
    return gap;
}

void SettingsView::fitHeight()
{
    // The rows' own paddings, the wrapped descriptions and the closing space
    // add up to more than the panel's height. The spaces between the groups
    // give way instead, evenly, each down to a floor: the rows keep
    // their paddings, no text is cut and the panel keeps its size.
    struct Give {
        int nominal;
        int floor;
        int now;
    };
    QMargins headerMargins = header_->contentsMargins();
    QMargins notifyMargins = notifySection_->contentsMargins();
    QMargins themeMargins = themeSection_->contentsMargins();
    std::array<Give, 7> gives{{{headerTop, 4, headerMargins.top()},
                               {18, 4, themeMargins.bottom()},
                               {14, 4, notifyMargins.top()},
                               {12, 4, launchBottom_->sizeHint().height()},
                               {12, 4, notifyBottom_->sizeHint().height()},
                               {10, 2, launchTop_->sizeHint().height()},
                               {10, 4, themeMargins.top()}}};
    // The groups' and sections' cached heights predate the new texts.
    for (QWidget* group : {notificationRows_.first()->parentWidget(), themeRows_.first()->parentWidget()}) {
        group->updateGeometry();
        group->parentWidget()->updateGeometry();
    }
    column_->invalidate();
    int taken = 0;
    for (const Give& g : gives)
        taken += g.nominal - g.now;
    int excess = column_->totalHeightForWidth(width) + taken - height;
    for (Give& g : gives)
        g.now = g.nominal;
    // A pixel at a time from each in turn, so no one space vanishes.
    for (bool gave = true; excess > 0 && gave;) {
        gave = false;
        for (Give& g : gives) {
            if (excess > 0 && g.now > g.floor) {
                --g.now;
                --excess;
                gave = true;
            }
        }
    }
    headerMargins.setTop(gives[0].now);
    themeMargins.setBottom(gives[1].now);
    notifyMargins.setTop(gives[2].now);
    themeMargins.setTop(gives[6].now);
    bool changed = header_->contentsMargins() != headerMargins || notifySection_->contentsMargins() != notifyMargins
                   || themeSection_->contentsMargins() != themeMargins;
    header_->setContentsMargins(headerMargins);
    notifySection_->setContentsMargins(notifyMargins);
    themeSection_->setContentsMargins(themeMargins);
    const std::array<std::pair<QSpacerItem*, int>, 3> gaps{
        {{launchBottom_, gives[3].now}, {notifyBottom_, gives[4].now}, {launchTop_, gives[5].now}}};
    for (auto [gap, h] : gaps) {
        if (gap->sizeHint().height() == h)
            continue;
        gap->changeSize(0, h, QSizePolicy::Minimum, QSizePolicy::Fixed);
        changed = true;
    }
    if (changed)
        column_->invalidate();
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
