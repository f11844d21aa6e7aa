#include "app/font_warm_up.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>
#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>
#include <system_error>

FontWarmUp::FontWarmUp()
{
    try {
        thread_ = std::thread([this] { run(); });
        moveOffCallersCore(thread_);
    } catch (const std::system_error&) {
        // No thread to spare: Qt reads everything when it needs it.
    }
}

int FontWarmUp::moveOffCallersCore(std::thread& thread)
{
    // A new thread is queued on its creator's core. On an otherwise idle
    // machine it waits there until the scheduler's balancing moves it, some
    // milliseconds in which it takes turns with the very start-up it is
    // meant to run beside, and the whole warm-up is lost.
    const int here = sched_getcpu();
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (here < 0 || sched_getaffinity(0, sizeof cores, &cores) != 0 || !CPU_ISSET(here, &cores)
        || CPU_COUNT(&cores) < 2)
        return -1;
    CPU_CLR(here, &cores);
    return pthread_setaffinity_np(thread.native_handle(), sizeof cores, &cores) == 0 ? here : -1;
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
        // The first text measured anywhere has Qt ask fontconfig which fonts
        // stand in for the characters the application font lacks. Qt keeps
        // the answer for every thread; the font engine made on the way is
        // this thread's own and goes with it.
        (void)QFontMetrics(QGuiApplication::font()).height();
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
