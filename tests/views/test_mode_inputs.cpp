#include "view_rig.h"

#include "views/custom_input.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/number_field.h"
#include "views/preset_grid.h"
#include "views/progress_ring.h"
#include "views/target_time_input.h"

#include <limits>
#include <tuple>

class TestModeInputs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void presetCards()
    {
        ViewRig r;
        PresetGrid* g = r.view->presetGrid();
        // The lone last card, on a fourth row, spans the row of three.
        QCOMPARE(g->rowCount(), 4);
        FlatButton* first = g->cards().front();
        FlatButton* last = g->cards().back();
        QCOMPARE(last->text(), QStringLiteral("60"));
        QVERIFY(last->width() > 3 * first->width());
        QVERIFY(g->cards().at(3)->isSelected());  // 10 at launch
        QTest::mouseClick(last, Qt::LeftButton);
        QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(60));
        r.settle();
        QVERIFY(last->isSelected() && !g->cards().at(3)->isSelected());
        // A card chosen while running changes only the selection.
        r.startPreset(1, 2000);
        QVERIFY(first->isEnabled());
        QTest::mouseClick(g->cards().at(1), Qt::LeftButton);
        QCOMPARE(r.timer.selectedPresetMinutes.get(), qint64(3));
        QVERIFY(r.timer.isRunning);
        QCOMPARE(r.timer.totalSeconds.get(), qint64(60));
    }

    // The chips add to what is there, up to 999:59 and without carrying
    // seconds over; a typed value out of range is pulled in, never overflowed.
    void chips()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        const qint64 max = std::numeric_limits<qint64>::max();
        // (minutes, seconds, chip, minutes and seconds after)
        const std::tuple<qint64, qint64, int, qint64, qint64> rows[] = {
            {0, 0, 0, 1, 0},       {997, 10, 1, 999, 10},  {2, 45, 2, 2, 59},
            {1500, 0, 2, 999, 30}, {max, max, 1, 999, 59}, {-5, -100, 2, -5, -70}};
        for (const auto& [minutes, seconds, chip, afterMinutes, afterSeconds] : rows) {
            r.timer.customMinutes = minutes;
            r.timer.customSeconds = seconds;
            r.settle();
            QTest::mouseClick(r.view->customInput()->chip(chip), Qt::LeftButton);
            QCOMPARE(std::pair(r.timer.customMinutes.get(), r.timer.customSeconds.get()), std::pair(afterMinutes, afterSeconds));
        }
    }

    // Minus and plus step by one within 0...999 minutes and 0...59 seconds,
    // and are off at the ends; a typed value beyond steps back in only.
    void steppers()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        // (minutes field, value, minus and plus enabled, value after each)
        CustomInput* c = r.view->customInput();
        const std::tuple<bool, qint64, bool, bool, qint64, qint64> rows[] = {
            {true, 0, false, true, 0, 1},   {true, 999, true, false, 998, 999}, {true, 1500, true, false, 1499, 1500},
            {true, -5, false, true, -5, -4}, {false, 59, true, false, 58, 59},  {false, 30, true, true, 29, 31}};
        for (const auto& [minutes, value, minus, plus, afterMinus, afterPlus] : rows) {
            auto& prop = minutes ? r.timer.customMinutes : r.timer.customSeconds;
            CustomStepperField* f = minutes ? c->minutesField() : c->secondsField();
            prop = value;
            r.settle();
            QCOMPARE(std::pair(f->minusButton()->isEnabled(), f->plusButton()->isEnabled()), std::pair(minus, plus));
            f->minusButton()->click();
            QCOMPARE(prop.get(), afterMinus);
            prop = value;
            r.settle();
            f->plusButton()->click();
            QCOMPARE(prop.get(), afterPlus);
        }
        // Running or paused, none of it can be changed.
        r.timer.customMinutes = 5;
        r.timer.start();
        r.pause();
        for (QWidget* w : std::initializer_list<QWidget*>{c->minutesField()->minusButton(), c->minutesField()->plusButton(),
                                                          c->minutesField()->field(), c->secondsField()->plusButton(),
                                                          c->secondsField()->field(), c->chip(0), c->chip(1), c->chip(2)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    }

    // What is typed is stored as it goes, out of range included; what is
    // not a whole number is refused, and an emptied field shows the value
    // again once left. However long, the number is drawn whole.
    void typing()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.settle();
        NumberField* f = r.view->customInput()->minutesField()->field();
        f->setLocale(QLocale::c());
        // (typed, stored, shown once the field is left)
        const std::tuple<const char*, qint64, const char*> rows[] = {
            {"25", 25, "25"}, {"1500", 1500, "1500"}, {"-5", -5, "-5"}, {"abc", 7, "7"}, {"2.5", 25, "25"},
            {"12345678901234567890", 1234567890123456789, "1234567890123456789"}, {"", 7, "7"}};
        for (const auto& [typed, stored, shown] : rows) {
            r.timer.customMinutes = 7;
            r.settle();
            f->setFocus();
            f->selectAll();
            QTest::keyClick(f, Qt::Key_Backspace);
            QTest::keyClicks(f, QString::fromLatin1(typed));
            QCOMPARE(r.timer.customMinutes.get(), stored);
            f->clearFocus();
            Q_EMIT f->editingFinished();
            r.settle();
            QCOMPARE(f->text(), QString::fromLatin1(shown));
            QVERIFY(f->showsWholeText());
        }
    }

    // Whole numbers in the user's locale, its grouping allowed anywhere.
    void parseInLocale()
    {
        // (locale, text, parsed, value)
        const std::tuple<const char*, const char*, std::optional<qint64>> rows[] = {
            {"en_US", "1,500", 1500},
            {"de_DE", "1.500", 1500},
            {"en_US", "1,50", 150},
            {"en_US", "99999999999999999999", std::nullopt},
            {"C", "-9223372036854775808", std::numeric_limits<qint64>::min()},
            {"C", "  42 ", 42},
            {"C", "4x", std::nullopt}};
        for (const auto& [locale, text, value] : rows) {
            const auto parsed = NumberField::parse(QString::fromLatin1(text), QLocale(QString::fromLatin1(locale)));
            QVERIFY2(parsed == value, text);
        }
    }

    void targetLength()
    {
        // The fake clock stands at 10:00:00 local time.
        ViewRig r;
        r.timer.mode = TimerMode::targetTime;
        r.settle();
        TargetTimeInput* t = r.view->targetTimeInput();
        const auto type = [&](NumberField* f, const QString& text) {
            f->setFocus();
            f->selectAll();
            QTest::keyClick(f, Qt::Key_Backspace);
            QTest::keyClicks(f, text);
            r.settle();
        };
        // (field: 0 hour / 1 minute, typed, length shown) in turn; the same
        // time is tomorrow, beyond the clock counts as 23:mm, an emptied box
        // as the 0 its placeholder shows.
        const struct { int field; const char* typed; const char* length; } steps[] = {
            {0, "10", nullptr}, {1, "30", "30min 0s"}, {1, "0", "24h 0min 0s"}, {0, "25", "13h 0min 0s"},
            {1, "59", nullptr}, {1, "", "13h 0min 0s"}, {0, "123456", nullptr}, {0, "25", "13h 0min 0s"}};
        for (const auto& step : steps) {
            NumberField* f = step.field ? t->minuteField() : t->hourField();
            type(f, QString::fromLatin1(step.typed));
            QVERIFY2(f->showsWholeText(), step.typed);
            if (step.length)
                QCOMPARE(t->lengthText(), QString::fromLatin1(step.length));
        }
        QVERIFY(t->hintText().isEmpty());
        QCOMPARE(r.timer.targetHour.get(), qint64(25));
        QCOMPARE(r.timer.targetMinute.get(), qint64(0));
        QVERIFY(t->minuteField()->text().isEmpty());
        // Idle in this mode the length and the ring's read-out follow the clock.
        QVERIFY(t->isRefreshing());
        for (const auto& [ms, length, display] : {std::tuple{5000, "12h 59min 55s", "12:59:55"}, std::tuple{20'000, "12h 59min 35s", "12:59:35"}}) {
            r.clock.advance(ms);
            QTRY_COMPARE(t->lengthText(), QString::fromLatin1(length));
            QCOMPARE(r.view->ring()->state().display, QString::fromLatin1(display));
        }
        // While counting it shows what is left and the fields lock.
        type(t->hourField(), QStringLiteral("10"));
        type(t->minuteField(), QStringLiteral("1"));
        QCOMPARE(t->lengthText(), QStringLiteral("35s"));
        r.timer.start();
        r.settle();
        QVERIFY(!t->hourField()->isEnabled());
        QVERIFY(!t->isRefreshing());
        QCOMPARE(t->lengthText(), TargetTimeInput::formatDuration(r.timer.remainingSeconds, r.l10n));
        r.timer.mode = TimerMode::preset;
        r.settle();
        QVERIFY(!t->isRefreshing());
    }
};

QTEST_MAIN(TestModeInputs)
#include "test_mode_inputs.moc"
