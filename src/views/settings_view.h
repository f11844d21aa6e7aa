#pragma once

#include "timer/timer_types.h"

#include <QList>
#include <QWidget>
#include <functional>

class FlatButton;
class LocalizationManager;
class LoginItem;
class QLabel;
class QSpacerItem;
class QVBoxLayout;
class QHBoxLayout;
class SettingsOptionRow;
class SettingsSwitchRow;
class Theme;
class TimerManager;

// What the settings panel acts on besides the settings; empty members mean
// the application's shared ones.
struct SettingsServices {
    Theme* theme = nullptr;
    LoginItem* loginItem = nullptr;
    std::function<void()> checkForUpdates;
};

// The settings panel shown in the gear's popover: launch at login, the kind
// of expiry notice, the two expiry switches, the theme and an update check.
// It keeps no state: every control writes straight into the settings.
class SettingsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 300;
    static constexpr int height = 590;
    // The printed line when the login item cannot be changed.
    static inline const char* const loginItemFailure = "开机启动设置失败: ";

    using Services = SettingsServices;

    SettingsView(TimerManager& timer, LocalizationManager& l10n, std::function<void()> dismiss,
                 QWidget* parent = nullptr, Services services = {});
    ~SettingsView() override;

    // Brings texts and selections up to date now.
    void sync();

    FlatButton* closeButton() const { return close_; }
    SettingsSwitchRow* launchRow() const { return launch_; }
    SettingsSwitchRow* bringToFrontRow() const { return bringFront_; }
    SettingsSwitchRow* restartRow() const { return restart_; }
    const QList<SettingsOptionRow*>& notificationRows() const { return notificationRows_; }
    const QList<SettingsOptionRow*>& themeRows() const { return themeRows_; }
    SettingsOptionRow* updateRow() const { return update_; }
    QLabel* titleLabel() const { return title_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void toggleLaunchAtLogin(bool on);
    void applyTheme(AppTheme theme);
    void scheduleSync();
    QWidget* section(QLabel*& title, QWidget* group, int titleTop, int bottom);
    static QSpacerItem* addGap(QVBoxLayout* column, int height);
    void fitHeight();

    TimerManager& timer_;
    LocalizationManager& l10n_;
    std::function<void()> dismiss_;
    Services services_;
    QLabel* title_;
    FlatButton* close_;
    SettingsSwitchRow* launch_;
    QLabel* notifyTitle_ = nullptr;
    QList<SettingsOptionRow*> notificationRows_;
    SettingsSwitchRow* bringFront_;
    SettingsSwitchRow* restart_;
    QLabel* themeTitle_ = nullptr;
    QList<SettingsOptionRow*> themeRows_;
    SettingsOptionRow* update_;
    QVBoxLayout* column_ = nullptr;
    QHBoxLayout* header_ = nullptr;
    QVBoxLayout* notifySection_ = nullptr;
    QVBoxLayout* themeSection_ = nullptr;
    QSpacerItem* launchTop_ = nullptr;
    QSpacerItem* launchBottom_ = nullptr;
    QSpacerItem* notifyBottom_ = nullptr;
    QString fittedTexts_;
    bool syncPending_ = false;
};
