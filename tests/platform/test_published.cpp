// Published fields: order of notification, cancellation, combined and
// deferred delivery.
#include "platform/published.h"

#include <QCoreApplication>
#include <QTest>

using Pairs = std::vector<std::pair<int, int>>;

class TestPublished : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A subscriber gets the current value, then each assigned one (unchanged
    // too) before it is stored. Going out of scope or cancel() ends a
    // subscription, even from inside its own delivery, and a subscription
    // may outlive its field. Deferred, a combined handler runs after the
    // assignments and reads the stored state back; deliveries still queued
    // when its context goes are dropped.
    void deliveryAndCancellation()
    {
        Cancellable outlives;
        auto context = std::make_unique<QObject>();
        Pairs seen, combined, readBack;  // (argument, stored value), (a, b) delivered and read
        {
            int hooks = 0, scoped = 0;
            Published<int> a(1, [&] { ++hooks; }), b(0);
            Cancellable self;
            self = a.sink([&](const int& v) {
                seen.emplace_back(v, a.get());
                if (v == 6)
                    self.cancel();
            });
            {
                const Cancellable c = a.sink([&](const int&) { ++scoped; });
                a = 5;
            }
            for (const int v : {5, 6, 7})
                a = v;
            outlives = a.sink([](const int&) {});
            QCOMPARE(seen, (Pairs{{1, 1}, {5, 1}, {5, 5}, {6, 5}}));
            QCOMPARE(std::pair(scoped, hooks), std::pair(2, 4));

            Cancellables subs =
                combineLatest(a, b, receiveOnMain<int, int>(context.get(), [&](const int& x, const int& y) {
                    combined.emplace_back(x, y);
                    readBack.emplace_back(a.get(), b.get());
                }));
            a = 1;
            b = 42;
            QCoreApplication::processEvents();
            QCOMPARE(combined, (Pairs{{7, 0}, {1, 0}, {1, 42}}));
            QCOMPARE(readBack, Pairs(3, {1, 42}));
            b = 7;
            context.reset();
            QCoreApplication::processEvents();
            QCOMPARE(combined.size(), size_t(3));
        }
        outlives.cancel();
    }
};

QTEST_GUILESS_MAIN(TestPublished)
#include "test_published.moc"
