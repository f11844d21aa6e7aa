#include "views/theme.h"

#include "platform/portal_appearance.h"

#include <QApplication>
#include <QDBusConnection>

namespace {
struct Ink {
    QColor window, text, base, highlight, button;
};

QPalette paletteFrom(const Ink& ink)
{
    // The two-colour constructor derives the shades styles draw bevels with.
    QPalette p(ink.button, ink.window);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, ink.window);
        p.setColor(group, QPalette::WindowText, ink.text);
        p.setColor(group, QPalette::Text, ink.text);
        p.setColor(group, QPalette::Base, ink.base);
        p.setColor(group, QPalette::AlternateBase, ink.window);
        p.setColor(group, QPalette::Button, ink.button);
        p.setColor(group, QPalette::ButtonText, ink.text);
        p.setColor(group, QPalette::ToolTipBase, ink.base);
        p.setColor(group, QPalette::ToolTipText, ink.text);
        p.setColor(group, QPalette::Highlight, ink.highlight);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, ink.highlight);
    }
    QColor dim = ink.text;
    dim.setAlphaF(0.4f);
    p.setColor(QPalette::Disabled, QPalette::Text, dim);
    p.setColor(QPalette::Disabled, QPalette::WindowText, dim);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, dim);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::PlaceholderText, dim);
    return p;
}
}  // namespace

QPalette lightPalette()
{
    return paletteFrom({QColor(0xf5, 0xf5, 0xf7), QColor(0x1c, 0x1c, 0x1e), Qt::white, QColor(0x1b, 0x6f, 0xe0),
                        QColor(0xf5, 0xf5, 0xf7)});
}

QPalette darkPalette()
{
    return paletteFrom({QColor(0x26, 0x26, 0x2a), QColor(0xf2, 0xf2, 0xf5), QColor(0x1e, 0x1e, 0x22),
                        QColor(0x3d, 0x8b, 0xf2), QColor(0x33, 0x33, 0x38)});
}

Theme::Theme(Appearance* appearance, QObject* parent)
    : QObject(parent), appearance_(appearance), platform_(QGuiApplication::palette())
{
    if (appearance_)
        connect(appearance_, &Appearance::colorSchemeChanged, this, [this] {
            if (theme_ == AppTheme::system)
                restyle();
        });
}

Theme& Theme::shared()
{
    static Theme* theme = [] {
        auto* appearance = new PortalAppearance(QDBusConnection::sessionBus(), qApp);
        return new Theme(appearance, qApp);
    }();
    return *theme;
}

void Theme::followDesktop()
{
    if (appearance_)
        appearance_->startFollowing();
}

void Theme::apply(AppTheme theme)
{
    theme_ = theme;
    restyle();
}

bool Theme::wantsDark() const
{
    switch (theme_) {
    case AppTheme::light: return false;
    case AppTheme::dark: return true;
    case AppTheme::system: break;
    }
    switch (appearance_ ? appearance_->colorScheme() : ColorScheme::noPreference) {
    case ColorScheme::dark: return true;
    case ColorScheme::light: return false;
    case ColorScheme::noPreference: break;
    }
    return platform_.color(QPalette::Window).lightness() < 128;
}

void Theme::restyle()
{
    const bool dark = wantsDark();
    if (applied_ && dark == dark_)
        return;
    applied_ = true;
    dark_ = dark;
    QApplication::setPalette(dark ? darkPalette() : lightPalette());
    Q_EMIT restyled(dark);
}
