#pragma once

#include "support/engine_rig.h"
#include "platform/xdg_autostart.h"
#include "views/settings_view.h"
#include "views/theme.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <unistd.h>

// The settings panel on a private config home, a fake clock, a theme of its
// own (no desktop preference) and the real autostart entry.
struct SettingsRig : EngineRig {
    explicit SettingsRig(AppLanguage language = AppLanguage::english)
    {
        l10n.setCurrent(language);
        open();
    }

    // A fresh panel, on `item` or else the real autostart entry.
    void open(LoginItem* item = nullptr)
    {
        view.reset();
        view = std::make_unique<SettingsView>(timer, l10n, [this] { ++dismissed; }, nullptr,
                                              SettingsServices{&theme, item ? item : &loginItem, [this] { ++updateChecks; }});
        view->show();
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // The settings file as stored, empty when there is none.
    QByteArray stored() const
    {
        QFile file(home.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Theme theme{nullptr};
    XdgAutostart loginItem{QStringLiteral("/usr/bin/lumora")};
    std::unique_ptr<SettingsView> view;
    int dismissed = 0;
    int updateChecks = 0;
};

// Everything written to standard output while it lives, for reading back.
// A pipe rather than a file, so limits on file sizes do not touch it.
class StdoutCapture {
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        if (::pipe(fds_) == 0)
            ::dup2(fds_[1], STDOUT_FILENO);
    }
    ~StdoutCapture() { release(); }

    // Restores standard output and returns what was written.
    QString release()
    {
        if (saved_ >= 0) {
            std::fflush(stdout);
            ::dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
            saved_ = -1;
            ::close(fds_[1]);
            char buffer[512];
            ssize_t n;
            while ((n = ::read(fds_[0], buffer, sizeof buffer)) > 0)
                text_.append(buffer, qsizetype(n));
            ::close(fds_[0]);
        }
        return QString::fromUtf8(text_);
    }

private:
    int saved_ = -1;
    int fds_[2] = {-1, -1};
    QByteArray text_;
};
