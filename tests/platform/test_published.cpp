// Published fields: order of notification, cancellation, combined and
// deferred delivery.
#include "platform/published.h"

#include <QCoreApplication>
#include <QTest>

class TestPublished : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void subscriberSeesNewValueBeforeItIsStored()
    {
        int hooks = 0;
        Published<int> field(1, [&] { ++hooks; });
        std::vector<std::pair<int, int>> seen;  // (argument, stored value)
        Cancellable c = field.sink([&](const int& v) { seen.emplace_back(v, field.get()); });
        field = 5;
        field = 5;  // unchanged values notify too
        const std::vector<std::pair<int, int>> expected{{1, 1}, {5, 1}, {5, 5}};
        QCOMPARE(seen, expected);
        QCOMPARE(hooks, 2);
        QCOMPARE(field.get(), 5);
    }

    // Going out of scope or cancel() ends a subscription, even from inside
    // its own delivery, and a subscription may outlive its field.
    void cancellation()
    {
        Cancellable outlives;
        {
            Published<int> field(0);
            int scoped = 0, self = 0, explicitly = 0;
            {
                Cancellable c = field.sink([&](const int&) { ++scoped; });
                field = 1;
            }
            Cancellable selfCancel;
            selfCancel = field.sink([&](const int& v) {
                ++self;
                if (v == 2)
                    selfCancel.cancel();
            });
            Cancellable explicitCancel = field.sink([&](const int&) { ++explicitly; });
            explicitCancel.cancel();
            outlives = field.sink([](const int&) {});
            field = 2;
            field = 3;
            QCOMPARE(scoped, 2);  // the first delivery plus one assignment
            QCOMPARE(self, 2);
            QCOMPARE(explicitly, 1);
        }
        outlives.cancel();  // the field is gone: nothing to do, no crash
    }

    // Deferred, a handler runs after the assignment and reads the stored
    // state back; deliveries still queued when its context goes are dropped.
    void combineLatestDeliversOnALaterTurn()
    {
        auto context = std::make_unique<QObject>();
        Published<bool> running(false);
        Published<qint64> remaining(0);
        std::vector<std::pair<bool, qint64>> seen;
        std::vector<std::pair<bool, qint64>> readBack;
        Cancellables subs = combineLatest(
            running, remaining,
            receiveOnMain<bool, qint64>(context.get(), [&](const bool& r, const qint64& s) {
                seen.emplace_back(r, s);
                readBack.emplace_back(running.get(), remaining.get());
            }));
        QVERIFY(seen.empty());  // nothing runs inside the assignment
        running = true;
        remaining = 42;
        QCoreApplication::processEvents();
        QCOMPARE(seen.size(), size_t(3));
        QCOMPARE(seen.back(), std::make_pair(true, qint64(42)));
        QCOMPARE(readBack.front(), std::make_pair(true, qint64(42)));

        remaining = 7;
        context.reset();
        QCoreApplication::processEvents();
        QCOMPARE(seen.size(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestPublished)
#include "test_published.moc"
