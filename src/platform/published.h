#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

// Ends a subscription when cancelled or destroyed. Safe to outlive the
// publisher and to cancel from inside a delivery.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Cancellable(Cancellable&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Cancellable& operator=(Cancellable&& other) noexcept
    {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;
    ~Cancellable() { cancel(); }

    void cancel()
    {
        if (auto c = std::exchange(cancel_, {}))
            c();
    }

private:
    std::function<void()> cancel_;
};

// The subscriptions an owner keeps alive; they end when it is destroyed.
using Cancellables = std::vector<Cancellable>;

// A field whose every assignment, also of an unchanged value, first tells the
// owner's object-wide hook and every subscriber the new value, and only then
// stores it. A subscriber that wants to read the owner back must do so on a
// later turn of the event loop (see receiveOnMain).
//
// With a `Writer` class only that class may assign (through assign());
// with the default every user may (set() or operator=).
template <typename T, typename Writer = void>
class Published {
public:
    using Handler = std::function<void(const T&)>;

    explicit Published(T initial, std::function<void()> willChange = {})
        : value_(std::move(initial)), willChange_(std::move(willChange))
    {
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(T value)
        requires std::is_void_v<Writer>
    {
        assign(std::move(value));
    }
    Published& operator=(T value)
        requires std::is_void_v<Writer>
    {
        assign(std::move(value));
        return *this;
    }

    // Delivers the current value at once, then every later assignment.
    [[nodiscard]] Cancellable sink(Handler handler)
    {
        auto alive = std::make_shared<bool>(true);
        subscribers_->entries.push_back({alive, handler});
        std::weak_ptr<Subscribers> list = subscribers_;
        handler(value_);
        return Cancellable([list, alive] {
            *alive = false;
            if (auto l = list.lock())
                std::erase_if(l->entries, [&](const Entry& e) { return e.alive == alive; });
        });
    }

private:
    friend Writer;  // ignored when Writer is void

    void assign(T value)
    {
        if (willChange_)
            willChange_();
        // A snapshot, so handlers may subscribe or cancel while we deliver.
        const auto snapshot = subscribers_->entries;
        for (const auto& entry : snapshot) {
            if (*entry.alive)
                entry.handler(value);
        }
        value_ = std::move(value);
    }

    struct Entry {
        std::shared_ptr<bool> alive;
        Handler handler;
    };
    struct Subscribers {
        std::vector<Entry> entries;
    };

    T value_;
    std::function<void()> willChange_;
    std::shared_ptr<Subscribers> subscribers_ = std::make_shared<Subscribers>();
};

// Emits the latest pair whenever either field is assigned, once at once.
template <typename A, typename WA, typename B, typename WB, typename F>
[[nodiscard]] Cancellables combineLatest(Published<A, WA>& a, Published<B, WB>& b, F handler)
{
    struct Latest {
        A a{};
        B b{};
        bool haveA = false;
        bool haveB = false;
    };
    auto latest = std::make_shared<Latest>();
    Cancellables out;
    out.push_back(a.sink([latest, handler](const A& v) {
        latest->a = v;
        latest->haveA = true;
        if (latest->haveB)
            handler(latest->a, latest->b);
    }));
    out.push_back(b.sink([latest, handler](const B& v) {
        latest->b = v;
        latest->haveB = true;
        if (latest->haveA)
            handler(latest->a, latest->b);
    }));
    return out;
}

// Wraps a handler so each delivery runs on a later turn of the main loop,
// after the assignment that caused it is complete. Deliveries still queued
// when `context` is destroyed are dropped.
template <typename... Args, typename F>
std::function<void(const Args&...)> receiveOnMain(QObject* context, F handler)
{
    QPointer<QObject> guard(context);
    return [guard, handler](const Args&... args) {
        if (!guard)
            return;
        QMetaObject::invokeMethod(
            guard.data(), [handler, args...] { handler(args...); }, Qt::QueuedConnection);
    };
}
