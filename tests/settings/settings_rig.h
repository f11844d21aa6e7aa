#pragma once

#include "support/engine_rig.h"
#include "platform/xdg_autostart.h"
#include "views/settings_option_row.h"
#include "views/settings_switch_row.h"
#include "views/settings_view.h"
#include "views/switch_toggle.h"
#include "views/theme.h"

#include <QApplication>

// The settings panel on a private config home, a fake clock, a theme of its
// own (no desktop preference) and the real autostart entry.
struct SettingsRig : EngineRig {
    explicit SettingsRig(AppLanguage language = AppLanguage::english)
    {
        l10n.setCurrent(language);
        open();
    }

    // A fresh panel on the settings as they are now.
    void open()
    {
        view = std::make_unique<SettingsView>(timer, l10n, [this] { ++dismissed; }, nullptr,
                                              SettingsServices{&theme, &loginItem, [this] { ++updateChecks; }});
        view->show();
        settle();
    }

    Theme theme{nullptr};
    XdgAutostart loginItem{QStringLiteral("/usr/bin/lumora")};
    std::unique_ptr<SettingsView> view;
    int dismissed = 0, updateChecks = 0;
};
