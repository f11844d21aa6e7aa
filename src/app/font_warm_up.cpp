#include "app/font_warm_up.h"

#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>
#include <system_error>

FontWarmUp::FontWarmUp()
{
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to spare: Qt reads everything when it needs it.
    }
}

FontWarmUp::~FontWarmUp()
{
    wait();
}

void FontWarmUp::run()
{
    // Were Qt to get there first it would read the configuration itself
    // (fontconfig keeps one of the two): correct, only slower.
    FcInit();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return next_ != Next::undecided; });
    if (next_ == Next::listFonts) {
        lock.unlock();
        QFontDatabase::families();
    }
}

void FontWarmUp::decide(Next next)
{
    {
        const std::lock_guard lock(mutex_);
        if (next_ == Next::undecided)
            next_ = next;
    }
    changed_.notify_one();
}

void FontWarmUp::listFonts()
{
    decide(Next::listFonts);
}

void FontWarmUp::wait()
{
    decide(Next::stop);
    if (thread_.joinable())
        thread_.join();
}
