// Lumora's own StatusNotifierItem and its exported menu, seen from a panel:
// a private bus with a small watcher and host, the real shell on a fake clock.
#include "app/about_window.h"
#include "app/shell_rig.h"
#include "desktop_tray_rig.h"
#include "panel_host.h"
#include "platform/app_notification_center.h"
#include "support/status_notifier_watcher.h"

#include <QAction>
#include <QDBusObjectPath>
#include <QFontMetricsF>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <functional>

namespace {
const QString kIdle = QStringLiteral("\u23F1 Ready");

bool isError(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage;
}

// The entries as a panel draws them: label and shortcut, "-" for a separator.
QStringList entries(const DBusMenuLayoutItem& root)
{
    QStringList out;
    for (const DBusMenuLayoutItem& entry : root.children) {
        const QVariantMap& p = entry.properties;
        out << (p.value("type") == "separator" ? QStringLiteral("-") : p.value("label").toString());
        if (p.value("enabled") == false || p.value("visible") == false)
            out.last() += QStringLiteral(" (off)");
        if (p.contains("shortcut"))
            out.last() += QLatin1Char(' ') + qdbus_cast<DBusMenuShortcut>(p.value("shortcut")).value(0).join('+');
    }
    return out;
}
}  // namespace

class TestStatusNotifier : public QObject {
    Q_OBJECT
    // One shell with our item on a private bus, watched by a panel, serves
    // every case that reads it; the language change comes last.
    PrivateBus shellBus;
    StatusNotifierWatcher shellWatcher{shellBus.connect(QStringLiteral("watcher"))};
    QDBusConnection appBus = shellBus.connect(QStringLiteral("app"));
    QPointer<StatusNotifierBackend> shellItem;
    ShellRig rig{[this] { return makeDesktopTray(appBus, shellItem); }};
    PanelHost panel{shellBus.connect(QStringLiteral("host")), appBus.baseService()};

    // Id of the status menu's entry at `index`, as the panel sees it.
    int entryId(int index) { return panel.layout().children.at(index).id; }

private Q_SLOTS:
    void initTestCase()
    {
        rig.launch();
        QTRY_VERIFY(shellItem && shellItem->isRegistered());
    }

    // The executable itself on a session bus with a panel: the title stands
    // in the panel, and the exported menu's Quit ends it.
    void lumoraShowsItsTitleInThePanel()
    {
        PrivateBus bus;
        StatusNotifierWatcher watcher(bus.connect(QStringLiteral("watcher")));
        QTemporaryDir config;
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QStringList vars{"DBUS_SESSION_BUS_ADDRESS", bus.address(), "XDG_CONFIG_HOME", config.path(),
                               "XDG_RUNTIME_DIR", runtime.path(), "LANG", "en_US.UTF-8", "LANGUAGE", "en"};
        for (qsizetype i = 0; i < vars.size(); i += 2)
            env.insert(vars.at(i), vars.at(i + 1));
        env.remove(QStringLiteral("LC_ALL"));
        QProcess lumora;
        lumora.setProcessEnvironment(env);
        lumora.start(QStringLiteral(LUMORA_EXECUTABLE), {});
        QTRY_VERIFY_WITH_TIMEOUT(!watcher.items.isEmpty(), 30'000);

        PanelHost host(bus.connect(QStringLiteral("host")), watcher.items.first());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), kIdle);
        host.menuEvent(host.layout().children.at(5).id);  // Quit
        QVERIFY(lumora.waitForFinished(20'000));
        QCOMPARE(lumora.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumora.exitCode(), 0);
    }

    // What a panel reads of the idle shell: the item, a picture for each size
    // in whole ARGB32 pixels, network byte order, and the status menu.
    void panelReadsItemAndMenu()
    {
        QCOMPARE(shellWatcher.items, QStringList{panel.service});
        QCOMPARE(panel.itemProperty("Menu").value<QDBusObjectPath>().path(), StatusNotifierBackend::menuPath);
        QCOMPARE(panel.itemProperty("ItemIsMenu"), QVariant(false));  // a left click is ours, not the menu's
        QCOMPARE(qdbus_cast<DBusToolTip>(panel.itemProperty("ToolTip").value<QDBusArgument>()).title, kIdle);
        // The guide keeps room for the widest title, hours and all.
        const QString guide = panel.itemProperty("XAyatanaLabelGuide").toString();
        const QFontMetricsF metrics(QGuiApplication::font());
        QVERIFY(metrics.horizontalAdvance(guide) >= metrics.horizontalAdvance(QStringLiteral("\u23F1 16:39:00")));
        const auto pixmaps = qdbus_cast<DBusImageList>(panel.itemProperty("IconPixmap").value<QDBusArgument>());
        for (const DBusImage& p : pixmaps)
            QCOMPARE(p.pixels.size(), qsizetype(p.width) * p.height * 4);
        const QImage drawn =
            TrayRingPicture::of(TrayState::idle, 1.0).render(48).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(qAlpha(drawn.pixel(24, 3)) > 0);  // the ring is drawn where we look
        QCOMPARE(qFromBigEndian<quint32>(pixmaps.last().pixels.constData() + 4 * (3 * 48 + 24)),
                 quint32(drawn.pixel(24, 3)));

        const DBusMenuLayoutItem root = panel.layout();
        QCOMPARE(root.properties.value("children-display").toString(), QStringLiteral("submenu"));
        QCOMPARE(entries(root), (QStringList{"Settings… Control+,", "Check for Updates…", "-", "About Lumora", "-",
                                             "Quit Control+Q"}));
        // Ids a panel remembers from an older menu are left out.
        const QList<int> ids{root.children.at(0).id, 998};
        const QDBusMessage group =
            panel.menuCall("GetGroupProperties", {QVariant::fromValue(ids), QStringList{"label"}});
        const auto items = qdbus_cast<DBusMenuItemList>(group.arguments().at(0).value<QDBusArgument>());
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).properties, (QVariantMap{{"label", "Settings…"}}));
        QVERIFY(isError(panel.menuCall("GetLayout", {999, -1, QStringList{}})));
    }

    // Opening and hovering an entry run nothing; a click runs it once, alone
    // or in a group. Settings are posted once the hidden window is shown.
    void entriesRunOnClickOnly()
    {
        QList<bool> shownAtPosts;  // one for each post of Settings
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context,
                                                          [&] { shownAtPosts << rig.window().isVisible(); });
        rig.window().hide();
        for (int index : {0, 1, 3, 5}) {
            QSignalSpy triggered(rig.delegate().statusItem()->menu()->actions().at(index), &QAction::triggered);
            for (const char* event : {"opened", "hovered", "clicked", "closed"})
                QVERIFY(!isError(panel.menuEvent(entryId(index), QString::fromLatin1(event))));
            QTRY_COMPARE(triggered.size(), 1);
            ShellRig::settle();
            QCOMPARE(triggered.size(), 1);
        }
        QCOMPARE(shownAtPosts, QList<bool>{true});
        // Several at once, as some panels send them; an id it does not know is named.
        const DBusMenuEventList group{{entryId(0), "clicked", QDBusVariant(0), 0},
                                      {998, "clicked", QDBusVariant(0), 0}};
        const QDBusMessage reply = panel.menuCall("EventGroup", {QVariant::fromValue(group)});
        QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(0)), QList<int>{998});
        QTRY_COMPARE(shownAtPosts.size(), 2);
        rig.delegate().aboutWindow()->close();
    }

    // The label follows a running countdown second by second, each second
    // told once, and the ring only on its own steps. A language change then
    // replaces the menu: a new layout revision, new ids, the old ids refused.
    void panelFollowsCountdownAndLanguage()
    {
        const QString guide = panel.itemProperty("XAyatanaLabelGuide").toString();
        rig.timer.selectedPresetMinutes = 1;
        rig.timer.start();
        QTRY_COMPARE(panel.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 01:00"));
        panel.sync();
        panel.received.clear();
        QList<QVariantList> labels;
        for (int second = 59; second >= 50; --second) {
            rig.clock.advance(1000);
            labels.append({QStringLiteral("\u23F1 00:%1").arg(second, 2, 10, QLatin1Char('0')), guide});
            QTRY_COMPARE(panel.itemProperty("XAyatanaLabel").toString(), labels.last().at(0).toString());
        }
        panel.sync();
        QCOMPARE(panel.arguments("XAyatanaNewLabel"), labels);
        // 32 ring steps over a minute: ten seconds move the ring five or six steps.
        const qsizetype icons = panel.arguments("NewIcon").size();
        QVERIFY(icons >= 5 && icons <= 6);
        rig.timer.reset();

        uint before = 0, revision = 0;
        QSet<int> ids;
        for (const DBusMenuLayoutItem& entry : panel.layout(&before).children)
            ids << entry.id;
        QCOMPARE(ids.size(), 6);
        panel.received.clear();
        rig.l10n.setCurrent(AppLanguage::chinese);
        QTRY_COMPARE(panel.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 就绪"));
        panel.sync();
        const DBusMenuLayoutItem after = panel.layout(&revision);
        QVERIFY(revision > before);
        QCOMPARE(panel.arguments("LayoutUpdated"), (QList<QVariantList>{{revision, 0}}));
        QCOMPARE(entries(after).at(0), QStringLiteral("设置… Control+,"));
        for (const DBusMenuLayoutItem& entry : after.children)
            QVERIFY(!ids.contains(entry.id));
        QVERIFY(isError(panel.menuEvent(*ids.begin())));
    }

    // Each change is told with its own signals, and a change to the same
    // value with none. The last case on the shell: it takes the item's menu.
    void signalsGoOutOnlyOnRealChanges()
    {
        StatusNotifierBackend& item = *shellItem;
        QMenu menu;
        QMenu other;
        QAction* one = menu.addAction(QStringLiteral("One"));
        const struct {
            std::function<void()> change;
            QStringList heard;  // sorted; an entry update with the names it carries
        } steps[] = {
            {[&] { item.setMenu(&menu); }, {"LayoutUpdated"}},
            {[&] { item.setTitle("a"); }, {"NewTitle", "NewToolTip", "XAyatanaNewLabel"}},
            {[&] { item.setTitle("a"); }, {}},
            {[&] { item.setTitleGuide("gg"); }, {"XAyatanaNewLabel"}},
            {[&] { item.setTitleGuide("gg"); }, {}},
            {[&] { item.setProgress(TrayState::running, 0.5); }, {"NewAttentionIcon", "NewIcon"}},
            {[&] { item.setProgress(TrayState::running, 0.5 - 0.1 / TrayRingPicture::steps); }, {}},
            {[&] { item.setProgress(TrayState::ringing, 0.0); }, {"NewAttentionIcon", "NewIcon", "NewStatus"}},
            {[&] { one->setStatusTip("not exported"); }, {}},
            {[&] { one->setEnabled(false); }, {"ItemsPropertiesUpdated enabled"}},
            {[&] { item.setMenu(&other); }, {"LayoutUpdated"}},
            {[&] { other.addActions({new QAction("Two", &other), new QAction("Three", &other)}); }, {"LayoutUpdated"}},
        };
        for (const auto& step : steps) {
            panel.received.clear();
            step.change();
            QCoreApplication::processEvents();
            panel.sync();
            QStringList heard;
            for (const QDBusMessage& m : std::as_const(panel.received)) {
                heard << m.member();
                if (m.member() == QLatin1String("ItemsPropertiesUpdated")) {
                    for (const DBusMenuItem& entry : qdbus_cast<DBusMenuItemList>(m.arguments().at(0)))
                        heard.last() += QLatin1Char(' ') + entry.properties.keys().join(QLatin1Char(','));
                }
            }
            heard.sort();
            QCOMPARE(heard, step.heard);
        }
        QCOMPARE(panel.itemProperty("Status").toString(), QStringLiteral("NeedsAttention"));
        QCOMPARE(entries(panel.layout()), (QStringList{"Two", "Three"}));
    }

    // With a watcher and a panel the item is ours, even when the watcher never
    // answers; otherwise QSystemTrayIcon's stand-in, until one appears. The
    // panel's clicks reach the status item, and its context menu request
    // opens our menu.
    void backendFollowsTheWatcher_data()
    {
        QTest::addColumn<QString>("when");  // the watcher or panel comes
        // "hung" last: a failure there leaves its thread running and ends the program.
        for (const char* when : {"before", "after", "panel after", "no bus", "hung"})
            QTest::newRow(when) << QString::fromLatin1(when);
    }
    void backendFollowsTheWatcher()
    {
        QFETCH(QString, when);
        PrivateBus bus;
        std::unique_ptr<StatusNotifierWatcher> watcher;
        const auto watch = [&] { watcher = std::make_unique<StatusNotifierWatcher>(bus.connect("watcher")); };
        if (when == "before" || when == "hung" || when == "panel after")
            watch();
        if (when == "panel after")
            watcher->hostRegistered = false;
        QThread stuck;
        QSemaphore release;
        if (when == "hung") {
            watcher->moveToThread(&stuck);
            stuck.start();
            QMetaObject::invokeMethod(watcher.get(), [&release] { release.acquire(); });
        }
        QPointer<FakeTrayBackend> fallback;
        QPointer<StatusNotifierBackend> item;
        // A connection name never made is a bus that is not there.
        auto owned = makeDesktopTray(when == "no bus" ? QDBusConnection("none") : bus.connect("app"), item, &fallback);
        DesktopTrayBackend* tray = owned.get();
        StatusItem status(std::move(owned));
        status.setMenu(std::make_unique<QMenu>());
        status.menu()->addAction(QStringLiteral("Quit"));
        status.setTitle(QStringLiteral("\u23F1 04:59"));
        status.setTitleGuide(QStringLiteral("\u23F1 00:00:00"));
        QTRY_VERIFY(tray->kind() != DesktopTrayBackend::Kind::undecided);
        status.setProgress(TrayState::ringing, 0.0);
        QSignalSpy clicks(&status, &StatusItem::clicked);
        const bool later = when == "after" || when == "panel after";
        if (later || when == "no bus") {
            QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::fallback);
            QVERIFY(fallback && fallback->shown && fallback->menu == status.menu());
            QCOMPARE(fallback->title, QStringLiteral("\u23F1 04:59"));
            QCOMPARE(fallback->state, TrayState::ringing);
            fallback->click(TrayBackend::Click::primary);
            if (!later)
                return;
            when == "after" ? watch() : watcher->announceHost();
        }
        QTRY_COMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
        QVERIFY(!fallback);  // the old item left the panel
        if (when != "hung")
            QTRY_COMPARE(watcher->items, QStringList{item->serviceName()});
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 04:59"));
        QCOMPARE(host.itemProperty("XAyatanaLabelGuide").toString(), QStringLiteral("\u23F1 00:00:00"));
        QCOMPARE(host.itemProperty("Status").toString(), QStringLiteral("NeedsAttention"));
        QCOMPARE(entries(host.layout()), QStringList{"Quit"});
        host.itemCall("Activate", {0, 0});
        host.itemCall("SecondaryActivate", {0, 0});
        QTRY_COMPARE(clicks.size(), later ? 3 : 2);
        QCOMPARE(clicks.at(clicks.size() - 2).at(0).value<TrayBackend::Click>(), TrayBackend::Click::primary);
        QCOMPARE(clicks.last().at(0).value<TrayBackend::Click>(), TrayBackend::Click::middle);
        QVERIFY(!isError(host.itemCall("ContextMenu", {10, 10})));
        QTRY_VERIFY(status.menu()->isVisible());
        status.menu()->hide();
        if (when == "hung") {
            release.release();
            QMetaObject::invokeMethod(watcher.release(), &QObject::deleteLater);
            stuck.quit();
            QVERIFY(stuck.wait(10'000));
        }
    }
};

QTEST_MAIN(TestStatusNotifier)
#include "test_status_notifier.moc"
