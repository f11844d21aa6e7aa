#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

// Gets text ready on a second thread while the main thread connects to the
// display and builds the window. fontconfig parses all of its configuration
// files, and Qt lists every installed font, the first time any text is
// measured: together the largest cost on the way to the first frame.
class FontWarmUp {
public:
    // Starts reading the font configuration at once; it needs nothing from Qt.
    FontWarmUp();
    // Waits for the thread, so it never outlives the caller.
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Once the QGuiApplication exists: lets the thread fill Qt's font
    // database and its choice of fallback fonts too (its functions are
    // thread-safe; the main thread waits on Qt's own lock if it needs a
    // font before the thread is done).
    void listFonts();
    // Call before the QGuiApplication goes away.
    void wait();

    // Keeps `thread` off the core the caller runs on, when the process may
    // use others. Returns that core, or -1 if the thread was left as it was.
    static int moveOffCallersCore(std::thread& thread);

private:
    enum class Next { undecided, listFonts, stop };
    void run();
    // The first decision counts; later ones change nothing.
    void decide(Next next);

    std::mutex mutex_;
    std::condition_variable changed_;
    Next next_ = Next::undecided;
    std::thread thread_;
};
