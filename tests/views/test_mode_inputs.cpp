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
        QCOMPARE(g->rowCount(), 4);
        QCOMPARE(int(g->cards().size()), 10);
        // The lone last card spans the row of three.
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

    void chips_data()
    {
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("chip");
        QTest::addColumn<qint64>("expectedMinutes");
        QTest::addColumn<qint64>("expectedSeconds");
        QTest::newRow("+1 min") << qint64(0) << qint64(0) << 0 << qint64(1) << qint64(0);
        QTest::newRow("+5 at 997 caps") << qint64(997) << qint64(10) << 1 << qint64(999) << qint64(10);
        QTest::newRow("+30 s no carry") << qint64(2) << qint64(45) << 2 << qint64(2) << qint64(59);
        QTest::newRow("typed 1500 pulled down") << qint64(1500) << qint64(0) << 2 << qint64(999) << qint64(30);
        QTest::newRow("typed max no overflow")
            << std::numeric_limits<qint64>::max() << std::numeric_limits<qint64>::max() << 1 << qint64(999)
            << qint64(59);
        QTest::newRow("typed negative") << qint64(-5) << qint64(-100) << 2 << qint64(-5) << qint64(-70);
    }
    void chips()
    {
        QFETCH(qint64, minutes);
        QFETCH(qint64, seconds);
        QFETCH(int, chip);
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.timer.customMinutes = minutes;
        r.timer.customSeconds = seconds;
        r.settle();
        QTest::mouseClick(r.view->customInput()->chip(chip), Qt::LeftButton);
        QTEST(r.timer.customMinutes.get(), "expectedMinutes");
        QTEST(r.timer.customSeconds.get(), "expectedSeconds");
    }

    void steppers_data()
    {
        QTest::addColumn<bool>("minutesField");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("minusEnabled");
        QTest::addColumn<bool>("plusEnabled");
        QTest::addColumn<qint64>("afterMinus");
        QTest::addColumn<qint64>("afterPlus");
        QTest::newRow("minutes at 0") << true << qint64(0) << false << true << qint64(0) << qint64(1);
        QTest::newRow("minutes at 999") << true << qint64(999) << true << false << qint64(998) << qint64(999);
        QTest::newRow("minutes typed 1500") << true << qint64(1500) << true << false << qint64(1499) << qint64(1500);
        QTest::newRow("minutes typed -5") << true << qint64(-5) << false << true << qint64(-5) << qint64(-4);
        QTest::newRow("seconds at 59") << false << qint64(59) << true << false << qint64(58) << qint64(59);
        QTest::newRow("seconds at 30") << false << qint64(30) << true << true << qint64(29) << qint64(31);
    }
    void steppers()
    {
        QFETCH(bool, minutesField);
        QFETCH(qint64, value);
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        auto& prop = minutesField ? r.timer.customMinutes : r.timer.customSeconds;
        CustomStepperField* f = minutesField ? r.view->customInput()->minutesField() : r.view->customInput()->secondsField();
        prop = value;
        r.settle();
        QTEST(f->minusButton()->isEnabled(), "minusEnabled");
        QTEST(f->plusButton()->isEnabled(), "plusEnabled");
        f->minusButton()->click();
        QTEST(prop.get(), "afterMinus");
        prop = value;
        r.settle();
        f->plusButton()->click();
        QTEST(prop.get(), "afterPlus");
    }

    void lockedWhileRunning()
    {
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.timer.customMinutes = 5;
        r.settle();
        r.timer.start();
        r.settle();
        CustomInput* c = r.view->customInput();
        for (QWidget* w : std::initializer_list<QWidget*>{
                 c->minutesField()->minusButton(), c->minutesField()->plusButton(), c->minutesField()->field(),
                 c->secondsField()->plusButton(), c->secondsField()->field(), c->chip(0), c->chip(1), c->chip(2)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        r.pause();
        QVERIFY(!c->chip(0)->isEnabled());
        QVERIFY(!r.view->targetTimeInput()->hourField()->isEnabled());
    }

    void typing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QString>("shownAfterLeaving");
        QTest::newRow("whole number") << "25" << qint64(25) << "25";
        QTest::newRow("beyond range kept") << "1500" << qint64(1500) << "1500";
        QTest::newRow("negative") << "-5" << qint64(-5) << "-5";
        QTest::newRow("letters refused") << "abc" << qint64(7) << "7";
        QTest::newRow("decimal point refused") << "2.5" << qint64(25) << "25";
        QTest::newRow("twenty digits refused") << "12345678901234567890" << qint64(1234567890123456789)
                                               << "1234567890123456789";
        QTest::newRow("emptied then left") << "" << qint64(7) << "7";
    }
    void typing()
    {
        QFETCH(QString, typed);
        ViewRig r;
        r.timer.mode = TimerMode::custom;
        r.timer.customMinutes = 7;
        r.settle();
        NumberField* f = r.view->customInput()->minutesField()->field();
        f->setLocale(QLocale::c());
        f->setFocus();
        f->selectAll();
        QTest::keyClick(f, Qt::Key_Backspace);
        QTest::keyClicks(f, typed);
        QTEST(r.timer.customMinutes.get(), "stored");
        f->clearFocus();
        Q_EMIT f->editingFinished();
        r.settle();
        QTEST(f->text().remove(QLocale::c().groupSeparator()), "shownAfterLeaving");
        // However long, the number is drawn whole, never scrolled or cut.
        QVERIFY(f->showsWholeText());
    }

    void parseInLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("value");
        QTest::newRow("en grouping") << "en_US" << "1,500" << true << qint64(1500);
        QTest::newRow("de grouping") << "de_DE" << "1.500" << true << qint64(1500);
        QTest::newRow("misplaced group ok") << "en_US" << "1,50" << true << qint64(150);
        QTest::newRow("overflow") << "en_US" << "99999999999999999999" << false << qint64(0);
        QTest::newRow("min") << "C" << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
        QTest::newRow("spaces around") << "C" << "  42 " << true << qint64(42);
        QTest::newRow("text") << "C" << "4x" << false << qint64(0);
    }
    void parseInLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        const auto v = NumberField::parse(text, QLocale(locale));
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QTEST(*v, "value");
    }

    void formatDuration_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("english");
        QTest::newRow("59") << qint64(59) << "59s";
        QTest::newRow("60") << qint64(60) << "1min 0s";
        QTest::newRow("3600") << qint64(3600) << "1h 0min 0s";
        QTest::newRow("86399") << qint64(86399) << "23h 59min 59s";
    }
    void formatDuration()
    {
        QFETCH(qint64, seconds);
        ViewRig r;
        QTEST(TargetTimeInput::formatDuration(seconds, r.l10n), "english");
        r.l10n.setCurrent(AppLanguage::chinese);
        QVERIFY(TargetTimeInput::formatDuration(seconds, r.l10n).endsWith(r.l10n.localized("unit.second")));
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
