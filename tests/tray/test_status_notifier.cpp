// Lumora's own StatusNotifierItem and its exported menu, seen from a panel:
// a private bus with a small watcher and host, the real shell on a fake clock.
#include "app/about_window.h"
#include "app/fake_tray_backend.h"
#include "app/shell_rig.h"
#include "desktop_tray_rig.h"
#include "panel_host.h"
#include "platform/app_notification_center.h"
#include "platform/dbus_tray_types.h"
#include "platform/desktop_tray_backend.h"
#include "platform/status_notifier_backend.h"
#include "support/status_notifier_watcher.h"

#include <QAction>
#include <QDBusObjectPath>
#include <QFontMetricsF>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QSignalSpy>
#include <QtEndian>
#include <functional>

namespace {
const QString kAppId = QStringLiteral("org.lumora.Lumora");
const QString kIdle = QStringLiteral("\u23F1 Ready");

qreal widthOf(const QString& text)
{
    return QFontMetricsF(QGuiApplication::font()).horizontalAdvance(text);
}

DBusMenuLayoutItem layoutOf(const QDBusMessage& reply)
{
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
}

bool isError(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage;
}

// The shell with our StatusNotifierItem on a private bus, watched by a panel.
struct SniShell {
    SniShell()
    {
        rig.launch();
        QTRY_VERIFY(item->isRegistered());
        host = std::make_unique<PanelHost>(bus.connect(QStringLiteral("host")), item->serviceName());
    }

    // Id of the status menu's entry at `index`, as the panel sees it.
    int entryId(int index) { return host->layout().children.at(index).id; }

    PrivateBus bus;
    StatusNotifierWatcher watcher{bus.connect(QStringLiteral("watcher"))};
    StatusNotifierBackend* item = nullptr;
    ShellRig rig{[this] {
        auto backend = std::make_unique<StatusNotifierBackend>(bus.connect(QStringLiteral("app")), kAppId);
        item = backend.get();
        return backend;
    }};
    std::unique_ptr<PanelHost> host;
};
}  // namespace

class TestStatusNotifier : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The executable itself on a session bus with a panel: the title stands
    // in the panel, and the exported menu's Quit ends it.
    void lumoraShowsItsTitleInThePanel()
    {
        PrivateBus bus;
        StatusNotifierWatcher watcher(bus.connect(QStringLiteral("watcher")));
        QVERIFY(watcher.isRegistered());
        QTemporaryDir config;
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        env.remove(QStringLiteral("LC_ALL"));
        QProcess lumora;
        lumora.setProcessEnvironment(env);
        lumora.start(QStringLiteral(LUMORA_EXECUTABLE), {});
        QVERIFY(lumora.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!watcher.items.isEmpty(), 30'000);

        PanelHost host(bus.connect(QStringLiteral("host")), watcher.items.first());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), kIdle);
        const DBusMenuLayoutItem root = host.layout();
        QCOMPARE(root.children.at(5).properties.value("label").toString(), QStringLiteral("Quit"));
        host.menuEvent(root.children.at(5).id);
        QVERIFY(lumora.waitForFinished(20'000));
        QCOMPARE(lumora.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumora.exitCode(), 0);
    }

    void registersAndExportsEveryProperty()
    {
        SniShell shell;
        QCOMPARE(shell.watcher.items, QStringList{shell.item->serviceName()});

        const QVariantMap all = shell.host->allItemProperties();
        QCOMPARE(all.keys(), (QStringList{"AttentionIconName", "AttentionIconPixmap", "Category", "IconName",
                                          "IconPixmap", "Id", "ItemIsMenu", "Menu", "Status", "Title", "ToolTip",
                                          "WindowId", "XAyatanaLabel", "XAyatanaLabelGuide"}));
        const QVariantMap plain{{"Category", "ApplicationStatus"}, {"Id", kAppId}, {"Title", kIdle},
                                {"Status", "Active"}, {"WindowId", 0}, {"ItemIsMenu", false},
                                {"XAyatanaLabel", kIdle}};
        for (auto it = plain.begin(); it != plain.end(); ++it)
            QCOMPARE(all.value(it.key()).toString(), it.value().toString());
        QCOMPARE(all.value("Menu").value<QDBusObjectPath>().path(), StatusNotifierBackend::menuPath);
        const QString guide = all.value("XAyatanaLabelGuide").toString();
        QVERIFY(guide.startsWith(QStringLiteral("\u23F1 ")));
        QVERIFY(widthOf(guide) >= widthOf(QStringLiteral("\u23F1 16:39:00")));
        QCOMPARE(qdbus_cast<DBusToolTip>(all.value("ToolTip").value<QDBusArgument>()).title, kIdle);

        // A picture for each panel size, whole ARGB32 pixels, network byte order.
        const auto pixmaps = qdbus_cast<DBusImageList>(all.value("IconPixmap").value<QDBusArgument>());
        QList<int> sizes;
        for (const DBusImage& p : pixmaps) {
            sizes << p.width;
            QCOMPARE(p.height, p.width);
            QCOMPARE(p.pixels.size(), qsizetype(p.width) * p.height * 4);
        }
        QCOMPARE(sizes, (QList<int>{16, 22, 24, 32, 48}));
        const QImage drawn =
            TrayRingPicture::of(TrayState::idle, 1.0).render(48).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(qAlpha(drawn.pixel(24, 3)) > 0);  // the ring is drawn where we look
        const quint32 argb = qFromBigEndian<quint32>(pixmaps.last().pixels.constData() + 4 * (3 * 48 + 24));
        QCOMPARE(argb, quint32(drawn.pixel(24, 3)));
    }

    // The label follows a running countdown second by second, each second
    // told once; the guide stays, and the ring moves only on its own steps.
    void labelFollowsTheCountdown()
    {
        SniShell shell;
        const QString guide = shell.host->itemProperty("XAyatanaLabelGuide").toString();
        shell.rig.timer.selectedPresetMinutes = 1;
        shell.rig.timer.start();
        QTRY_COMPARE(shell.host->itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 01:00"));
        shell.host->sync();
        shell.host->forget();

        QList<QVariantList> labels;
        for (int second = 59; second >= 50; --second) {
            shell.rig.clock.advance(1000);
            const QString label = QStringLiteral("\u23F1 00:%1").arg(second, 2, 10, QLatin1Char('0'));
            labels.append({label, guide});
            QTRY_COMPARE(shell.host->itemProperty("XAyatanaLabel").toString(), label);
        }
        shell.host->sync();
        QCOMPARE(shell.host->arguments("XAyatanaNewLabel"), labels);
        // 32 ring steps over a minute: ten seconds move the ring five or six steps.
        const qsizetype icons = shell.host->arguments("NewIcon").size();
        QVERIFY(icons >= 5 && icons <= 6);
    }

    // Each change is told with its own signals, and a change to the same
    // value with none.
    void signalsGoOutOnlyOnRealChanges()
    {
        PrivateBus bus;
        StatusNotifierWatcher watcher(bus.connect(QStringLiteral("watcher")));
        StatusNotifierBackend item(bus.connect(QStringLiteral("app")), kAppId);
        QMenu menu;
        QMenu other;
        menu.addAction(QStringLiteral("One"));
        item.setMenu(&menu);
        item.setTitle(QStringLiteral("a"));
        item.setTitleGuide(QStringLiteral("gg"));
        item.setProgress(TrayState::running, 0.5);
        item.show();
        QTRY_VERIFY(item.isRegistered());
        PanelHost host(bus.connect(QStringLiteral("host")), item.serviceName());

        const auto entryUpdate = [&] {
            return qdbus_cast<DBusMenuItemList>(
                host.arguments("ItemsPropertiesUpdated").at(0).at(0).value<QDBusArgument>());
        };
        const struct {
            const char* name;
            std::function<void()> change;
            QStringList heard;  // sorted
        } steps[] = {
            {"same title", [&] { item.setTitle("a"); }, {}},
            {"new title", [&] { item.setTitle("b"); }, {"NewTitle", "NewToolTip", "XAyatanaNewLabel"}},
            {"same guide", [&] { item.setTitleGuide("gg"); }, {}},
            {"new guide", [&] { item.setTitleGuide("ggg"); }, {"XAyatanaNewLabel"}},
            {"same picture", [&] { item.setProgress(TrayState::running, 0.5 - 0.1 / TrayRingPicture::steps); }, {}},
            {"new picture", [&] { item.setProgress(TrayState::running, 0.25); }, {"NewAttentionIcon", "NewIcon"}},
            {"ringing", [&] { item.setProgress(TrayState::ringing, 0.0); },
             {"NewAttentionIcon", "NewIcon", "NewStatus"}},
            {"entry changed, not as exported", [&] { menu.actions().at(0)->setStatusTip("tip"); }, {}},
            {"entry disabled", [&] { menu.actions().at(0)->setEnabled(false); }, {"ItemsPropertiesUpdated"}},
            {"entries added", [&] { menu.addActions({new QAction("Two", &menu), new QAction("Three", &menu)}); },
             {"LayoutUpdated"}},
            {"menu replaced", [&] { item.setMenu(&other); }, {"LayoutUpdated"}},
        };
        for (const auto& step : steps) {
            host.forget();
            step.change();
            QCoreApplication::processEvents();
            host.sync();
            const QStringList heard = host.heard();
            QVERIFY2(heard == step.heard, qPrintable(QLatin1String(step.name) + QLatin1String(": ") + heard.join(' ')));
            if (step.heard.contains("NewStatus"))
                QCOMPARE(host.itemProperty("Status").toString(), QStringLiteral("NeedsAttention"));
            if (step.heard.contains("ItemsPropertiesUpdated")) {
                QCOMPARE(entryUpdate().size(), 1);
                QCOMPARE(entryUpdate().at(0).properties, (QVariantMap{{"enabled", false}}));
            }
            if (QLatin1String(step.name) == QLatin1String("entries added"))
                QCOMPARE(host.layout().children.at(2).properties.value("label").toString(), QStringLiteral("Three"));
        }
    }

    // The exported menu in English; a language change replaces it: a new
    // layout revision, new ids, the old ids refused.
    void menuLayoutAndLanguageChange()
    {
        SniShell shell;
        const QDBusMessage before = shell.host->menuCall("GetLayout", {0, -1, QStringList{}});
        QVERIFY(!isError(before));
        const uint revision = before.arguments().at(0).toUInt();
        const DBusMenuLayoutItem root = layoutOf(before);
        QCOMPARE(root.id, 0);
        QCOMPARE(root.properties.value("children-display").toString(), QStringLiteral("submenu"));
        const QStringList labels{"Settings…", "Check for Updates…", "-", "About Lumora", "-", "Quit"};
        QStringList seen;
        QList<int> ids;
        for (const DBusMenuLayoutItem& entry : root.children) {
            ids << entry.id;
            const QVariantMap& p = entry.properties;
            const bool separator = p.value("type").toString() == QLatin1String("separator");
            seen << (separator ? QStringLiteral("-") : p.value("label").toString());
            QVERIFY(separator || (p.value("enabled").toBool() && p.value("visible").toBool()));
        }
        QCOMPARE(seen, labels);
        QCOMPARE(QSet<int>(ids.begin(), ids.end()).size(), 6);
        const auto shortcut = [&](int index) {
            const QVariant v = root.children.at(index).properties.value("shortcut");
            return v.isValid() ? qdbus_cast<DBusMenuShortcut>(v.value<QDBusArgument>()) : DBusMenuShortcut{};
        };
        QCOMPARE(shortcut(0), (DBusMenuShortcut{{"Control", ","}}));
        QCOMPARE(shortcut(1), DBusMenuShortcut{});
        QCOMPARE(shortcut(5), (DBusMenuShortcut{{"Control", "Q"}}));

        // A depth of 0 gives the entry alone; a name list only those names.
        QVERIFY(layoutOf(shell.host->menuCall("GetLayout", {0, 0, QStringList{}})).children.isEmpty());
        const DBusMenuLayoutItem labelsOnly =
            layoutOf(shell.host->menuCall("GetLayout", {0, -1, QStringList{"label"}}));
        QCOMPARE(labelsOnly.children.at(0).properties.keys(), QStringList{"label"});
        const QDBusMessage one = shell.host->menuCall("GetProperty", {ids.at(5), QStringLiteral("label")});
        QCOMPARE(one.arguments().at(0).value<QDBusVariant>().variant().toString(), labels.at(5));
        const QDBusMessage group = shell.host->menuCall(
            "GetGroupProperties", {QVariant::fromValue(QList<int>{ids.at(0), ids.at(3)}), QStringList{"label"}});
        const auto items = qdbus_cast<DBusMenuItemList>(group.arguments().at(0).value<QDBusArgument>());
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(1).properties.value("label").toString(), labels.at(3));

        shell.host->forget();
        shell.rig.l10n.setCurrent(AppLanguage::chinese);
        ShellRig::settle();
        QTRY_COMPARE(shell.host->itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 就绪"));
        shell.host->sync();
        const QDBusMessage after = shell.host->menuCall("GetLayout", {0, -1, QStringList{}});
        QVERIFY(after.arguments().at(0).toUInt() > revision);
        QCOMPARE(shell.host->arguments("LayoutUpdated"),
                 (QList<QVariantList>{{after.arguments().at(0).toUInt(), 0}}));
        const DBusMenuLayoutItem translated = layoutOf(after);
        QCOMPARE(translated.children.at(0).properties.value("label").toString(), QStringLiteral("设置…"));
        for (const DBusMenuLayoutItem& entry : translated.children)
            QVERIFY(!ids.contains(entry.id));

        QSignalSpy quit(&shell.rig.delegate(), &AppDelegate::quitRequested);
        QVERIFY(isError(shell.host->menuEvent(ids.at(5))));
        ShellRig::settle();
        QCOMPARE(quit.size(), 0);
    }

    // Opening and hovering an entry run nothing; a click runs it once, alone
    // or in a group. A separator is no entry to run.
    void eventRunsEachEntry()
    {
        SniShell shell;
        QSignalSpy quit(&shell.rig.delegate(), &AppDelegate::quitRequested);
        int settingsPosts = 0;
        bool shownAtPost = false;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context, [&] {
            ++settingsPosts;
            shownAtPost = shell.rig.window().isVisible();
        });
        QVERIFY(!isError(shell.host->menuEvent(shell.entryId(2))));
        const struct {
            int index;
            int settingsPosts;
            int quits;
            bool aboutShown;
        } rows[] = {{0, 1, 0, false}, {1, 1, 0, false}, {3, 1, 0, true}, {5, 1, 1, true}};
        for (const auto& row : rows) {
            // Settings are posted once the hidden window is shown again.
            shell.rig.window().hide();
            QSignalSpy triggered(shell.rig.delegate().statusItem()->menu()->actions().at(row.index),
                                 &QAction::triggered);
            const int id = shell.entryId(row.index);
            for (const char* event : {"opened", "hovered", "clicked", "closed"})
                QVERIFY(!isError(shell.host->menuEvent(id, QString::fromLatin1(event))));
            QTRY_COMPARE(triggered.size(), 1);
            ShellRig::settle();
            QCOMPARE(settingsPosts, row.settingsPosts);
            QCOMPARE(quit.size(), row.quits);
            AboutWindow* about = shell.rig.delegate().aboutWindow();
            QCOMPARE(about && about->isVisible(), row.aboutShown);
        }
        QVERIFY(shownAtPost);
        // Several at once, as some panels send them.
        DBusMenuEventList group{{shell.entryId(0), QStringLiteral("clicked"), QDBusVariant(0), 0}};
        QVERIFY(!isError(shell.host->menuCall("EventGroup", {QVariant::fromValue(group)})));
        QTRY_COMPARE(settingsPosts, 2);
        shell.rig.delegate().aboutWindow()->close();
    }

    // Nothing but the two interfaces answers, nothing in them can be written,
    // and ids the menu never gave out are refused; the item goes on answering.
    void badCallsAreRefused()
    {
        SniShell shell;
        const int entry = shell.entryId(0);
        const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
        const QString item = StatusNotifierBackend::itemPath;
        const QString menu = StatusNotifierBackend::menuPath;
        const QString sni = PanelHost::itemInterface;
        const QString dbusMenu = PanelHost::menuInterface;
        const QDBusVariant zero(0);
        const QVariant data = QVariant::fromValue(zero);
        const auto group = [](DBusMenuEventList events) { return QVariant::fromValue(events); };
        const struct {
            const char* name;
            QString path;
            QString interface;
            QString method;
            QVariantList args;
            QList<int> idErrors;  // of a group call, answered all the same
        } rows[] = {
            {"unknown item property", item, props, "Get", {sni, "Colour"}, {}},
            {"unknown menu property", menu, props, "Get", {dbusMenu, "Revision"}, {}},
            {"writing the title", item, props, "Set", {sni, "Title", QVariant::fromValue(QDBusVariant("x"))}, {}},
            {"a QObject slot", item, "org.qtproject.Qt.QObject", "deleteLater", {}, {}},
            {"a setter of the item", item, sni, "setTitle", {"x"}, {}},
            {"a setter of the menu", menu, dbusMenu, "setMenu", {}, {}},
            {"another path", "/", sni, "Activate", {0, 0}, {}},
            {"layout of an unknown entry", menu, dbusMenu, "GetLayout", {999, -1, QStringList{}}, {}},
            {"property of an unknown entry", menu, dbusMenu, "GetProperty", {999, "label"}, {}},
            {"unknown property", menu, dbusMenu, "GetProperty", {entry, "colour"}, {}},
            {"click on an unknown entry", menu, dbusMenu, "Event", {999, "clicked", data, 0u}, {}},
            {"unknown entry about to show", menu, dbusMenu, "AboutToShow", {999}, {}},
            {"group of unknown entries", menu, dbusMenu, "EventGroup", {group({{999, "clicked", zero, 0}})}, {}},
            {"wrong argument types", menu, dbusMenu, "GetLayout", {"zero"}, {}},
            {"group with one unknown entry", menu, dbusMenu, "EventGroup",
             {group({{entry, "hovered", zero, 0}, {998, "clicked", zero, 0}})}, {998}},
            {"about to show, one unknown", menu, dbusMenu, "AboutToShowGroup",
             {QVariant::fromValue(QList<int>{0, 997})}, {997}},
        };
        for (const auto& row : rows) {
            const QDBusMessage reply = shell.host->call(row.path, row.interface, row.method, row.args);
            QVERIFY2(isError(reply) == row.idErrors.isEmpty(), row.name);
            if (!row.idErrors.isEmpty()) {
                const int at = row.method == QLatin1String("AboutToShowGroup") ? 1 : 0;
                QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(at)), row.idErrors);
            }
        }
        QCOMPARE(shell.host->itemProperty("Title").toString(), kIdle);
        QCOMPARE(shell.host->layout().children.size(), 6);
    }

    // With a watcher the item is ours; without one QSystemTrayIcon's stand-in,
    // until a watcher appears. The panel's clicks reach the status item, and
    // its context menu request opens our menu.
    void backendFollowsTheWatcher_data()
    {
        QTest::addColumn<QString>("when");  // the watcher or panel comes
        for (const char* when : {"before", "after", "panel after", "never", "no bus"})
            QTest::newRow(when) << QString::fromLatin1(when);
    }
    void backendFollowsTheWatcher()
    {
        QFETCH(QString, when);
        PrivateBus bus;
        const bool later = when == QLatin1String("after") || when == QLatin1String("panel after");
        std::unique_ptr<StatusNotifierWatcher> watcher;
        if (when == QLatin1String("before") || when == QLatin1String("panel after"))
            watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        if (when == QLatin1String("panel after"))
            watcher->hostRegistered = false;
        const QDBusConnection appBus = when == QLatin1String("no bus")
            ? QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                            QStringLiteral("nowhere"))
            : bus.connect(QStringLiteral("app"));
        QPointer<FakeTrayBackend> fallback;
        QPointer<StatusNotifierBackend> item;
        int fallbacksMade = 0;
        auto owned = makeDesktopTray(appBus, item, &fallback, &fallbacksMade);
        DesktopTrayBackend* tray = owned.get();
        StatusItem status(std::move(owned));
        auto menu = std::make_unique<QMenu>();
        menu->addAction(QStringLiteral("Quit"));
        QMenu* shownMenu = menu.get();
        status.setMenu(std::move(menu));
        status.setTitle(QStringLiteral("\u23F1 04:59"));
        status.setTitleGuide(QStringLiteral("\u23F1 00:00:00"));
        QTRY_VERIFY(tray->kind() != DesktopTrayBackend::Kind::undecided);
        QSignalSpy clicks(&status, &StatusItem::clicked);

        if (when != QLatin1String("before")) {
            QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::fallback);
            QVERIFY(fallback && fallback->shown);
            QCOMPARE(fallback->title, QStringLiteral("\u23F1 04:59"));
            QCOMPARE(fallback->menu.data(), shownMenu);
            fallback->click(TrayBackend::Click::primary);
            QCOMPARE(clicks.size(), 1);
        }
        if (when == QLatin1String("after"))
            watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        if (!watcher || when == QLatin1String("panel after")) {
            QTest::qWait(50);
            QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::fallback);
            if (!watcher) {
                QVERIFY(!item);
                return;
            }
            watcher->announceHost();
        }
        QTRY_COMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
        QVERIFY(!fallback);  // the old item left the panel
        QCOMPARE(fallbacksMade, later ? 1 : 0);
        QTRY_VERIFY(item && item->isRegistered());
        QCOMPARE(watcher->items, QStringList{item->serviceName()});
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 04:59"));
        QCOMPARE(host.itemProperty("XAyatanaLabelGuide").toString(), QStringLiteral("\u23F1 00:00:00"));
        status.setProgress(TrayState::ringing, 0.0);
        QCOMPARE(host.itemProperty("Status").toString(), QStringLiteral("NeedsAttention"));
        QCOMPARE(host.layout().children.at(0).properties.value("label").toString(), QStringLiteral("Quit"));
        host.itemCall("Activate", {0, 0});
        host.itemCall("SecondaryActivate", {0, 0});
        QTRY_COMPARE(clicks.size(), later ? 3 : 2);
        QCOMPARE(clicks.at(clicks.size() - 2).at(0).value<TrayBackend::Click>(), TrayBackend::Click::primary);
        QCOMPARE(clicks.last().at(0).value<TrayBackend::Click>(), TrayBackend::Click::middle);
        QVERIFY(!isError(host.itemCall("ContextMenu", {10, 10})));
        QTRY_VERIFY(shownMenu->isVisible());
        shownMenu->hide();
    }

    // A watcher that never answers holds up nothing, neither the one there
    // at start nor a panel that restarts into one (a plain restart is in the
    // fault tests, mid-countdown): the item is ours, answers the bus at once
    // and keeps its title current.
    void hungWatcherHoldsUpNothing()
    {
        PrivateBus bus;
        QThread stuck;
        stuck.start();
        QSemaphore release;
        auto hung = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        hung->moveToThread(&stuck);
        QMetaObject::invokeMethod(
            hung.get(), [&release] { release.acquire(); }, Qt::QueuedConnection);

        QPointer<StatusNotifierBackend> item;
        const auto tray = makeDesktopTray(bus.connect(QStringLiteral("app")), item);
        tray->show();
        QTRY_COMPARE_WITH_TIMEOUT(tray->kind(), DesktopTrayBackend::Kind::statusNotifier, 15'000);
        QVERIFY(item);
        tray->setTitle(QStringLiteral("\u23F1 00:42"));
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 00:42"));
        QVERIFY(!item->isRegistered());

        // The panel restarts, into a watcher that never answers either.
        release.release();
        StatusNotifierWatcher* gone = hung.release();
        QMetaObject::invokeMethod(gone, [gone] { delete gone; }, Qt::BlockingQueuedConnection);
        stuck.quit();
        QVERIFY(stuck.wait(10'000));
        StatusNotifierWatcher silent(bus.connect(QStringLiteral("watcher2")), StatusNotifierWatcher::Behaviour::silent);
        QTRY_COMPARE(silent.items, QStringList{item->serviceName()});
        tray->setTitle(QStringLiteral("\u23F1 00:09"));
        QCOMPARE(host.itemProperty("Title").toString(), QStringLiteral("\u23F1 00:09"));
        QVERIFY(!item->isRegistered());
        QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
    }
};

QTEST_MAIN(TestStatusNotifier)
#include "test_status_notifier.moc"
