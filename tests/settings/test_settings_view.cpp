#include "settings_rig.h"

#include "platform/app_notification_center.h"
#include "views/flat_button.h"
#include "views/settings_option_row.h"
#include "views/settings_switch_row.h"
#include "views/switch_toggle.h"
#include "views/view_style.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <algorithm>

namespace {
QList<QWidget*> rowsTopToBottom(SettingsView& v)
{
    QList<QWidget*> rows{v.closeButton(), v.launchRow()};
    for (auto* r : v.notificationRows())
        rows << r;
    rows << v.bringToFrontRow() << v.restartRow();
    for (auto* r : v.themeRows())
        rows << r;
    rows << v.updateRow();
    return rows;
}

QRect inView(SettingsView& v, QWidget* w)
{
    return QRect(w->mapTo(&v, QPoint(0, 0)), w->size());
}

qsizetype selectedCount(const QList<SettingsOptionRow*>& rows)
{
    return std::count_if(rows.begin(), rows.end(), [](SettingsOptionRow* row) { return row->isSelected(); });
}

// Runs a one-second countdown to its end.
void expire(SettingsRig& r)
{
    r.timer.reset();
    r.timer.mode = TimerMode::custom;
    r.timer.customMinutes = 0;
    r.timer.customSeconds = 2;
    r.timer.start();
    r.clock.advance(2'000);
    QTRY_VERIFY(!r.timer.isRunning);
}
}  // namespace

using Action = std::function<void(SettingsRig&)>;
using Check = std::function<bool(TimerManager&)>;
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Check)

class TestSettingsView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setPalette(lightPalette()); }

    void panelKeepsItsSizeAndOrder_data()
    {
        QTest::addColumn<AppLanguage>("language");
        QTest::newRow("english") << AppLanguage::english;
        QTest::newRow("chinese") << AppLanguage::chinese;
    }
    // Opened in the other language and switched live, so every text is
    // redrawn and fitted again.
    void panelKeepsItsSizeAndOrder()
    {
        QFETCH(AppLanguage, language);
        SettingsRig r(language == AppLanguage::english ? AppLanguage::chinese : AppLanguage::english);
        r.l10n.setCurrent(language);
        QTRY_COMPARE(r.view->titleLabel()->text(), r.l10n.localized(QStringLiteral("settings.title")));
        QCOMPARE(r.view->notificationRows()[0]->title(), r.l10n.localized(QStringLiteral("notify.desktop")));
        r.settle();
        QCOMPARE(r.view->size(), QSize(SettingsView::width, SettingsView::height));
        int lastBottom = 0;
        for (QWidget* w : rowsTopToBottom(*r.view)) {
            const QRect at = inView(*r.view, w);
            QVERIFY2(QRect(0, 0, 300, 590).contains(at), qPrintable(w->metaObject()->className()));
            QVERIFY(at.top() >= lastBottom);
            QVERIFY(at.height() >= 18);
            lastBottom = at.bottom();
        }
        // Every row gets the height its paddings and wrapped text need, and
        // the closing space under the last row is kept.
        QVERIFY(inView(*r.view, r.view->updateRow()).bottom() < 590 - 16);
        const QFontMetrics titleFont(viewstyle::font(13, QFont::Medium));
        const auto fits = [&](QWidget* row, int sidePadding, int rightPart, const QString& title) {
            QVERIFY2(row->height() >= row->heightForWidth(row->width()), qPrintable(title));
            QVERIFY2(titleFont.horizontalAdvance(title) <= row->width() - 2 * sidePadding - 28 - rightPart, qPrintable(title));
        };
        for (SettingsSwitchRow* row : {r.view->launchRow(), r.view->bringToFrontRow(), r.view->restartRow()})
            fits(row, 16, 42, row->title());
        for (SettingsOptionRow* row : r.view->notificationRows() + r.view->themeRows()) {
            fits(row, 14, 21, row->title());
            QVERIFY(row->height() >= 2 * 9 + viewstyle::lineHeight(13) + (row->description().isEmpty() ? 0 : 13));
        }
        for (SettingsSwitchRow* row : {r.view->bringToFrontRow(), r.view->restartRow()})
            QVERIFY(row->height() >= 2 * 10 + viewstyle::lineHeight(13) + 13);

        // Rows span the panel less their padding; the switches sit at the end.
        const QRect toggle = inView(*r.view, r.view->launchRow()->toggle());
        QCOMPARE(toggle.right(), 300 - 16 - 1);
        QCOMPARE(inView(*r.view, r.view->closeButton()).right(), 300 - 16 - 1);
    }

    void eachControlWritesItsSetting_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        auto clickNotify = [](int i) { return [i](SettingsRig& r) { QTest::mouseClick(r.view->notificationRows()[i], Qt::LeftButton); }; };
        auto clickTheme = [](int i) { return [i](SettingsRig& r) { QTest::mouseClick(r.view->themeRows()[i], Qt::LeftButton); }; };
        QTest::newRow("notify desktop") << Action(clickNotify(0)) << TimerManager::notificationTypeKey << "desktop";
        QTest::newRow("notify system") << Action(clickNotify(1)) << TimerManager::notificationTypeKey << "system";
        QTest::newRow("notify both") << Action(clickNotify(2)) << TimerManager::notificationTypeKey << "both";
        QTest::newRow("theme light") << Action(clickTheme(0)) << TimerManager::appThemeKey << "light";
        QTest::newRow("theme dark") << Action(clickTheme(1)) << TimerManager::appThemeKey << "dark";
        QTest::newRow("theme system") << Action(clickTheme(2)) << TimerManager::appThemeKey << "system";
        QTest::newRow("bring to front off")
            << Action([](SettingsRig& r) { QTest::mouseClick(r.view->bringToFrontRow()->toggle(), Qt::LeftButton); })
            << TimerManager::bringToFrontOnExpireKey << "false";
        QTest::newRow("restart off, by keyboard")
            << Action([](SettingsRig& r) {
                   r.view->restartRow()->toggle()->setFocus(Qt::TabFocusReason);
                   QTest::keyClick(r.view->restartRow()->toggle(), Qt::Key_Space);
               })
            << TimerManager::showRestartOnExpireKey << "false";
        QTest::newRow("launch at login on")
            << Action([](SettingsRig& r) { QTest::mouseClick(r.view->launchRow()->toggle(), Qt::LeftButton); })
            << TimerManager::launchAtLoginKey << "true";
    }
    void eachControlWritesItsSetting()
    {
        QFETCH(Action, action);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        SettingsRig r;
        action(r);
        r.settle();
        // As a new process reads it.
        const auto fresh = r.home.openStore();
        QString got = fresh->readString(key, QString());
        if (got.isEmpty())  // a switch: the fallback is the other value
            got = fresh->readBool(key, stored != QLatin1String("true")) ? QStringLiteral("true") : QStringLiteral("false");
        QCOMPARE(got, stored);
        QCOMPARE(selectedCount(r.view->notificationRows()), qsizetype(1));
        QCOMPARE(selectedCount(r.view->themeRows()), qsizetype(1));
        QCOMPARE(r.dismissed, 0);
    }

    // Only the switch acts: clicks on a row's text or beside its switch
    // write nothing, the autostart entry included.
    void switchRowsActOnlyByTheirSwitch_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QPoint>("at");
        for (int row : {0, 1, 2}) {
            QTest::newRow(qPrintable(QStringLiteral("row %1, text").arg(row))) << row << QPoint(60, 20);
            QTest::newRow(qPrintable(QStringLiteral("row %1, beside the switch").arg(row))) << row << QPoint(240, 20);
        }
    }
    void switchRowsActOnlyByTheirSwitch()
    {
        QFETCH(int, row);
        QFETCH(QPoint, at);
        SettingsRig r;
        SettingsSwitchRow* rows[] = {r.view->launchRow(), r.view->bringToFrontRow(), r.view->restartRow()};
        const QByteArray before = r.stored();
        const bool checked = rows[row]->toggle()->isChecked();
        QVERIFY(!rows[row]->toggle()->geometry().contains(at));
        QTest::mouseClick(rows[row], Qt::LeftButton, {}, at);
        r.settle();
        QCOMPARE(rows[row]->toggle()->isChecked(), checked);
        QCOMPARE(r.stored(), before);
        QVERIFY(!QFile::exists(XdgAutostart::entryPath()));
    }

    // Option rows are plain buttons: the pointer over one changes nothing.
    void optionRowsHaveNoHoverLook()
    {
        SettingsRig r;
        QVERIFY(QTest::qWaitForWindowExposed(r.view.get()));
        SettingsOptionRow* row = r.view->themeRows()[2];
        const QImage before = row->grab().toImage();
        QTest::mouseMove(row, row->rect().center());
        QTRY_VERIFY(row->underMouse());
        QCOMPARE(row->grab().toImage(), before);
    }

    void nextExpiryUsesTheChoice()
    {
        SettingsRig r;
        int broughtForward = 0;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::bringToFrontOnExpire, &context,
                                                           [&] { ++broughtForward; });
        QTest::mouseClick(r.view->notificationRows()[1], Qt::LeftButton);  // system: no ringing
        expire(r);
        QVERIFY(!r.timer.isRinging);
        QTRY_COMPARE(broughtForward, 1);

        QTest::mouseClick(r.view->notificationRows()[0], Qt::LeftButton);  // desktop: rings
        QTest::mouseClick(r.view->bringToFrontRow()->toggle(), Qt::LeftButton);
        expire(r);
        QVERIFY(r.timer.isRinging);
        r.settle();
        QCOMPARE(broughtForward, 1);
        r.timer.stopRinging();
    }

    void badStoredValuesShowTheDefault()
    {
        SettingsRig r;
        r.store->write(TimerManager::notificationTypeKey, QStringLiteral("loud"));
        r.store->write(TimerManager::appThemeKey, QStringLiteral("sepia"));
        r.open();
        QCOMPARE(selectedCount(r.view->notificationRows()), qsizetype(1));
        QCOMPARE(selectedCount(r.view->themeRows()), qsizetype(1));
        QVERIFY(r.view->notificationRows()[int(r.timer.notificationType())]->isSelected());
        QVERIFY(r.view->themeRows()[int(r.timer.appTheme())]->isSelected());
    }

    void closeAndUpdateRows()
    {
        SettingsRig r;
        const QByteArray before = r.stored();
        QTest::mouseClick(r.view->closeButton(), Qt::LeftButton);
        QCOMPARE(r.dismissed, 1);
        QCOMPARE(r.stored(), before);
        QTest::mouseClick(r.view->updateRow(), Qt::LeftButton);
        QCOMPARE(r.updateChecks, 1);
    }

    void showingAppliesTheStoredTheme()
    {
        SettingsRig r;
        r.view.reset();
        r.theme.apply(AppTheme::light);
        r.timer.setAppTheme(AppTheme::dark);
        QVERIFY(!r.theme.isDark());
        r.open();
        QVERIFY(r.theme.isDark());
        QVERIFY(viewstyle::isDark(QApplication::palette()));
        QTest::mouseClick(r.view->themeRows()[0], Qt::LeftButton);
        QVERIFY(!viewstyle::isDark(QApplication::palette()));
    }

    void rendering_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<AppLanguage>("language");
        for (bool dark : {false, true})
            for (AppLanguage lang : {AppLanguage::english, AppLanguage::chinese})
                QTest::newRow(qPrintable(QStringLiteral("%1-%2").arg(dark ? "dark" : "light", rawValue(lang))))
                    << dark << lang;
    }
    void rendering()
    {
        QFETCH(bool, dark);
        QFETCH(AppLanguage, language);
        SettingsRig r(language);
        r.timer.setNotificationType(NotificationType::both);
        r.timer.setShowRestartOnExpire(true);
        r.timer.setAppTheme(dark ? AppTheme::dark : AppTheme::light);
        r.open();
        const QImage image = r.view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString file = QStringLiteral("%1/settings-%2.png").arg(testOutputDir(), QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(image.save(file));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 30, qPrintable(file));
        QCOMPARE(QColor(image.pixel(150, 3)).lightness() < 128, dark);
        // The chosen row's checkmark is drawn in the accent colour.
        SettingsOptionRow* chosen = r.view->notificationRows()[2];
        const QRect at = inView(*r.view, chosen);
        bool accentSeen = false;
        for (int x = at.right() - 30; x < at.right() && !accentSeen; ++x)
            for (int y = at.top(); y < at.bottom() && !accentSeen; ++y)
                accentSeen = image.pixelColor(x, y).hsvSaturationF() > 0.5f;
        QVERIFY2(accentSeen, qPrintable(file));
        // Title and description stand apart in every script: blank pixel
        // rows between the title's glyphs and the description's (Chinese
        // glyphs fill more of their line than Latin ones do).
        for (QWidget* row : {static_cast<QWidget*>(r.view->bringToFrontRow()), static_cast<QWidget*>(r.view->notificationRows()[1])}) {
            const QRect text = inView(*r.view, row).adjusted(44, 0, -80, 0);
            const int ground = image.pixelColor(text.topLeft()).lightness();
            QList<bool> inked;
            for (int y = text.top(); y <= text.bottom(); ++y) {
                bool ink = false;
                for (int x = text.left(); x <= text.right() && !ink; ++x)
                    ink = std::abs(image.pixelColor(x, y).lightness() - ground) > 40;
                inked << ink;
            }
            const int titleStart = int(inked.indexOf(true));
            const int titleEnd = int(inked.indexOf(false, titleStart));
            const int descriptionStart = int(inked.indexOf(true, titleEnd));
            QVERIFY2(titleStart >= 0 && descriptionStart > titleEnd, qPrintable(file));
            QVERIFY2(descriptionStart - titleEnd >= (language == AppLanguage::chinese ? 4 : 2), qPrintable(QStringLiteral("%1: %2 px").arg(file).arg(descriptionStart - titleEnd)));
        }
        QApplication::setPalette(lightPalette());
    }
};

QTEST_MAIN(TestSettingsView)
#include "test_settings_view.moc"
