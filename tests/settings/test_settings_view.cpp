#include "settings_rig.h"

#include "views/flat_button.h"
#include "views/settings_option_row.h"
#include "views/settings_switch_row.h"
#include "views/switch_toggle.h"
#include "views/view_style.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <algorithm>

namespace {
QRect inView(SettingsView& v, QWidget* w)
{
    return QRect(w->mapTo(&v, QPoint(0, 0)), w->size());
}

// Exactly one row of each group is chosen, the one the settings hold.
bool choicesFollowTheSettings(SettingsRig& r)
{
    const auto one = [](const QList<SettingsOptionRow*>& rows) {
        return std::count_if(rows.begin(), rows.end(), [](SettingsOptionRow* row) { return row->isSelected(); }) == 1;
    };
    return one(r.view->notificationRows()) && one(r.view->themeRows())
           && r.view->notificationRows()[int(r.timer.notificationType())]->isSelected()
           && r.view->themeRows()[int(r.timer.appTheme())]->isSelected();
}
}  // namespace

using Action = std::function<void(SettingsRig&)>;
Q_DECLARE_METATYPE(Action)

class TestSettingsView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each case starts on the light platform palette a theme falls back to.
    void init() { QApplication::setPalette(lightPalette()); }

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
        SettingsView& v = *r.view;
        QCOMPARE(v.size(), QSize(SettingsView::width, SettingsView::height));
        // Top to bottom, inside the panel, none squeezed below a line.
        int lastBottom = 0;
        const auto& n = v.notificationRows();
        const auto& t = v.themeRows();
        for (QWidget* w : std::initializer_list<QWidget*>{v.closeButton(), v.launchRow(), n[0], n[1], n[2],
                                                          v.bringToFrontRow(), v.restartRow(), t[0], t[1], t[2],
                                                          v.updateRow()}) {
            const QRect at = inView(v, w);
            QVERIFY2(QRect(0, 0, 300, 590).contains(at), qPrintable(w->metaObject()->className()));
            QVERIFY(at.top() >= lastBottom);
            QVERIFY(at.height() >= 18);
            lastBottom = at.bottom();
        }
        // Every row gets the height its paddings and wrapped text need, and
        // the closing space under the last row is kept.
        QVERIFY(lastBottom < 590 - 16);
        const QFontMetrics titleFont(viewstyle::font(13, QFont::Medium));
        const auto fits = [&](QWidget* row, int sidePadding, int rightPart, const QString& title) {
            QVERIFY2(row->height() >= row->heightForWidth(row->width()), qPrintable(title));
            QVERIFY2(titleFont.horizontalAdvance(title) <= row->width() - 2 * sidePadding - 28 - rightPart, qPrintable(title));
        };
        for (SettingsSwitchRow* row : {v.launchRow(), v.bringToFrontRow(), v.restartRow()})
            fits(row, 16, 42, row->title());
        for (SettingsOptionRow* row : v.notificationRows() + v.themeRows()) {
            fits(row, 14, 21, row->title());
            QVERIFY(row->height() >= 2 * 9 + viewstyle::lineHeight(13) + (row->description().isEmpty() ? 0 : 13));
        }
        for (SettingsSwitchRow* row : {v.bringToFrontRow(), v.restartRow()})
            QVERIFY(row->height() >= 2 * 10 + viewstyle::lineHeight(13) + 13);
        // Rows span the panel less their padding; the switches sit at the end.
        QCOMPARE(inView(v, v.launchRow()->toggle()).right(), 300 - 16 - 1);
        QCOMPARE(inView(v, v.closeButton()).right(), 300 - 16 - 1);
    }

    void eachControlWritesItsSetting_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        const auto notify = [](int i) {
            return Action([i](SettingsRig& r) { QTest::mouseClick(r.view->notificationRows()[i], Qt::LeftButton); });
        };
        const auto theme = [](int i) {
            return Action([i](SettingsRig& r) { QTest::mouseClick(r.view->themeRows()[i], Qt::LeftButton); });
        };
        QTest::newRow("notify desktop") << notify(0) << TimerManager::notificationTypeKey << "desktop";
        QTest::newRow("notify system") << notify(1) << TimerManager::notificationTypeKey << "system";
        QTest::newRow("notify both") << notify(2) << TimerManager::notificationTypeKey << "both";
        QTest::newRow("theme light") << theme(0) << TimerManager::appThemeKey << "light";
        QTest::newRow("theme dark") << theme(1) << TimerManager::appThemeKey << "dark";
        QTest::newRow("theme system") << theme(2) << TimerManager::appThemeKey << "system";
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
        // A value the panel does not know shows the default chosen.
        QTest::newRow("unknown stored values") << Action([](SettingsRig& r) {
            r.store->write(TimerManager::notificationTypeKey, QStringLiteral("loud"));
            r.store->write(TimerManager::appThemeKey, QStringLiteral("sepia"));
            r.open();
        }) << TimerManager::appThemeKey << "sepia";
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
        QVERIFY(choicesFollowTheSettings(r));
        // A theme row puts its theme in force at once.
        QCOMPARE(r.theme.isDark(), r.timer.appTheme() == AppTheme::dark);
        QCOMPARE(r.dismissed, 0);
    }

    // Only a switch acts: clicks on a row's text or beside its switch write
    // nothing, the autostart entry included. Close dismisses and the update
    // row checks for updates, neither writing.
    void clicksThatWriteNothing()
    {
        SettingsRig r;
        const QByteArray before = r.stored();
        for (SettingsSwitchRow* row : {r.view->launchRow(), r.view->bringToFrontRow(), r.view->restartRow()}) {
            const bool checked = row->toggle()->isChecked();
            for (const QPoint at : {QPoint(60, 20), QPoint(240, 20)}) {
                QVERIFY(!row->toggle()->geometry().contains(at));
                QTest::mouseClick(row, Qt::LeftButton, {}, at);
                r.settle();
                QCOMPARE(row->toggle()->isChecked(), checked);
            }
        }
        QTest::mouseClick(r.view->closeButton(), Qt::LeftButton);
        QTest::mouseClick(r.view->updateRow(), Qt::LeftButton);
        QCOMPARE(std::pair(r.dismissed, r.updateChecks), std::pair(1, 1));
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
        r.timer.setAppTheme(dark ? AppTheme::dark : AppTheme::light);
        r.open();
        const QImage image = r.view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QString file = QStringLiteral("%1/settings-%2.png").arg(testOutputDir(), QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(image.save(file));
        QCOMPARE(QColor(image.pixel(150, 3)).lightness() < 128, dark);
        // The chosen row's checkmark is drawn in the accent colour.
        const QRect chosen = inView(*r.view, r.view->notificationRows()[2]);
        bool accentSeen = false;
        for (int x = chosen.right() - 30; x < chosen.right() && !accentSeen; ++x)
            for (int y = chosen.top(); y < chosen.bottom() && !accentSeen; ++y)
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
            const int titleEnd = int(inked.indexOf(false, inked.indexOf(true)));
            const int gap = int(inked.indexOf(true, titleEnd)) - titleEnd;
            QVERIFY2(inked.indexOf(true) >= 0 && gap >= (language == AppLanguage::chinese ? 4 : 2),
                     qPrintable(QStringLiteral("%1: %2 px").arg(file).arg(gap)));
        }
    }
};

QTEST_MAIN(TestSettingsView)
#include "test_settings_view.moc"
