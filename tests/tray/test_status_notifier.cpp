// Lumora's own StatusNotifierItem and its exported menu, seen from a panel:
// a private bus with a small watcher and host, the real shell on a fake clock.
#include "app/about_window.h"
#include "app/fake_tray_backend.h"
#include "app/shell_rig.h"
#include "desktop_tray_rig.h"
#include "panel_host.h"
#include "platform/app_notification_center.h"
#include "platform/dbus_menu_adaptor.h"
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

// Our tray on `bus`, titled and shown, as at start-up.
std::unique_ptr<DesktopTrayBackend> shownTray(PrivateBus& bus, QPointer<StatusNotifierBackend>& item)
{
    auto tray = makeDesktopTray(bus.connect(QStringLiteral("app")), item);
    tray->setTitle(kIdle);
    tray->show();
    return tray;
}

bool isError(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ErrorMessage;
}

// The shell with our StatusNotifierItem on a private bus, watched by a panel.
struct SniShell {
    explicit SniShell(AppLanguage language = AppLanguage::english)
    {
        rig.l10n.setCurrent(language);
        rig.launch();
        QTRY_VERIFY(item->isRegistered());
        host = std::make_unique<PanelHost>(bus.connect(QStringLiteral("host")), item->serviceName());
    }

    StatusNotifierBackend* makeItem()
    {
        auto backend = std::make_unique<StatusNotifierBackend>(bus.connect(QStringLiteral("app")), kAppId);
        item = backend.get();
        return backend.release();
    }

    // Id of the status menu's entry at `index`, as the panel sees it.
    int entryId(int index) { return host->layout().children.at(index).id; }

    PrivateBus bus;
    StatusNotifierWatcher watcher{bus.connect(QStringLiteral("watcher"))};
    StatusNotifierBackend* item = nullptr;
    ShellRig rig{[this] { return std::unique_ptr<TrayBackend>(makeItem()); }};
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
        QVERIFY(!host.itemProperty("XAyatanaLabelGuide").toString().isEmpty());
        const DBusMenuLayoutItem root = host.layout();
        QCOMPARE(root.children.size(), 6);
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
        QVERIFY(widthOf(guide) >= widthOf(kIdle));
        QVERIFY(widthOf(guide) >= widthOf(QStringLiteral("\u23F1 16:39:00")));

        const auto tip = qdbus_cast<DBusToolTip>(all.value("ToolTip").value<QDBusArgument>());
        QCOMPARE(tip.title, kIdle);

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
        const DBusImage& big = pixmaps.last();
        QVERIFY(qAlpha(drawn.pixel(24, 3)) > 0);  // the ring is drawn where we look
        for (const QPoint at : {QPoint(24, 3), QPoint(3, 24), QPoint(24, 24)}) {
            const quint32 argb = qFromBigEndian<quint32>(big.pixels.constData() + 4 * (at.y() * 48 + at.x()));
            QCOMPARE(argb, quint32(drawn.pixel(at)));
        }
        QCOMPARE(shell.host->menuProperty("Version").toUInt(), 3u);
        QCOMPARE(shell.host->menuProperty("TextDirection").toString(), QStringLiteral("ltr"));
    }

    // The label follows a running countdown second by second; the icon and
    // the guide do not travel with every second.
    void labelFollowsTheCountdown()
    {
        SniShell shell;
        const QString guide = shell.host->itemProperty("XAyatanaLabelGuide").toString();
        shell.rig.timer.selectedPresetMinutes = 1;
        shell.rig.timer.start();
        QTRY_COMPARE(shell.host->itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 01:00"));
        shell.host->sync();
        shell.host->forget();

        QStringList labels;
        for (int second = 59; second >= 50; --second) {
            shell.rig.clock.advance(1000);
            const QString expected = QStringLiteral("\u23F1 00:%1").arg(second, 2, 10, QLatin1Char('0'));
            QTRY_COMPARE(shell.host->itemProperty("XAyatanaLabel").toString(), expected);
            QCOMPARE(shell.host->itemProperty("Title").toString(), expected);
            QVERIFY(widthOf(expected) <= widthOf(guide));
            labels << expected;
        }
        shell.host->sync();
        for (const char* name : {"XAyatanaNewLabel", "NewTitle", "NewToolTip"})
            QCOMPARE(shell.host->count(name), 10);
        QStringList heard;
        for (const QVariantList& args : shell.host->arguments("XAyatanaNewLabel")) {
            heard << args.at(0).toString();
            QCOMPARE(args.at(1).toString(), guide);
        }
        QCOMPARE(heard, labels);
        // 32 ring steps over a minute: ten seconds move the ring five or six steps.
        QVERIFY(shell.host->count("NewIcon") >= 5 && shell.host->count("NewIcon") <= 6);
        QCOMPARE(shell.host->count("NewStatus"), 0);
        QCOMPARE(shell.host->itemProperty("XAyatanaLabelGuide").toString(), guide);
    }

    void signalsGoOutOnlyOnRealChanges_data()
    {
        using Change = std::function<void(StatusNotifierBackend&, QMenu&, QMenu&)>;
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("signalsHeard");
        const auto row = [](const char* name, Change change, QStringList heard) {
            QTest::newRow(name) << change << heard;
        };
        row("same title", [](auto& item, auto&, auto&) { item.setTitle("a"); }, {});
        row("new title", [](auto& item, auto&, auto&) { item.setTitle("b"); },
            {"NewTitle", "NewToolTip", "XAyatanaNewLabel"});
        row("same guide", [](auto& item, auto&, auto&) { item.setTitleGuide("gg"); }, {});
        row("new guide", [](auto& item, auto&, auto&) { item.setTitleGuide("ggg"); }, {"XAyatanaNewLabel"});
        row("same picture",
            [](auto& item, auto&, auto&) { item.setProgress(TrayState::running, 0.5 - 0.1 / TrayRingPicture::steps); },
            {});
        row("new picture", [](auto& item, auto&, auto&) { item.setProgress(TrayState::running, 0.25); },
            {"NewIcon", "NewAttentionIcon"});
        row("ringing", [](auto& item, auto&, auto&) { item.setProgress(TrayState::ringing, 0.0); },
            {"NewIcon", "NewAttentionIcon", "NewStatus"});
        row("same menu entry", [](auto&, QMenu& menu, auto&) { menu.actions().at(0)->setText("One"); }, {});
        row("entry disabled", [](auto&, QMenu& menu, auto&) { menu.actions().at(0)->setEnabled(false); },
            {"ItemsPropertiesUpdated"});
        row("menu replaced", [](auto& item, auto&, QMenu& other) { item.setMenu(&other); }, {"LayoutUpdated"});
        row("entries added",
            [](auto&, QMenu& menu, auto&) { menu.addActions({new QAction("Two", &menu), new QAction("Three", &menu)}); },
            {"LayoutUpdated"});
    }
    void signalsGoOutOnlyOnRealChanges()
    {
        using Change = std::function<void(StatusNotifierBackend&, QMenu&, QMenu&)>;
        QFETCH(Change, change);
        QFETCH(QStringList, signalsHeard);
        PrivateBus bus;
        StatusNotifierWatcher watcher(bus.connect(QStringLiteral("watcher")));
        StatusNotifierBackend item(bus.connect(QStringLiteral("app")), kAppId);
        QMenu menu;
        menu.addAction(QStringLiteral("One"));
        item.setMenu(&menu);
        item.setTitle(QStringLiteral("a"));
        item.setTitleGuide(QStringLiteral("gg"));
        item.setProgress(TrayState::running, 0.5);
        item.show();
        QTRY_VERIFY(item.isRegistered());
        PanelHost host(bus.connect(QStringLiteral("host")), item.serviceName());

        QMenu other;
        change(item, menu, other);
        QCoreApplication::processEvents();
        host.sync();

        QStringList heard;
        for (const char* name : {"NewTitle", "NewToolTip", "XAyatanaNewLabel", "NewIcon", "NewAttentionIcon",
                                 "NewStatus", "ItemsPropertiesUpdated", "LayoutUpdated"}) {
            for (int i = 0; i < host.count(name); ++i)
                heard << name;
        }
        heard.sort();
        signalsHeard.sort();
        QCOMPARE(heard, signalsHeard);
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        if (row == QLatin1String("ringing")) {
            QCOMPARE(host.itemProperty("Status").toString(), QStringLiteral("NeedsAttention"));
            QCOMPARE(host.arguments("NewStatus").at(0).at(0).toString(), QStringLiteral("NeedsAttention"));
        }
        if (row == QLatin1String("entries added")) {
            const DBusMenuLayoutItem root = host.layout();
            QCOMPARE(root.children.size(), 3);
            QCOMPARE(root.children.at(2).properties.value("label").toString(), QStringLiteral("Three"));
        }
        if (row == QLatin1String("entry disabled")) {
            const auto updated = qdbus_cast<DBusMenuItemList>(
                host.arguments("ItemsPropertiesUpdated").at(0).at(0).value<QDBusArgument>());
            QCOMPARE(updated.size(), 1);
            QCOMPARE(updated.at(0).properties, (QVariantMap{{"enabled", false}}));
        }
    }

    void activateTogglesTheWindowAndContextMenuOpensTheMenu()
    {
        SniShell shell;
        MainWindow& window = shell.rig.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        shell.rig.delegate().keyWindowChanged(window.windowHandle());

        QVERIFY(!isError(shell.host->itemCall("Activate", {10, 10})));
        QTRY_VERIFY(!window.isVisible());
        shell.host->itemCall("Activate", {10, 10});
        QTRY_VERIFY(window.isVisible());
        // The middle button and scrolling leave the window as it is.
        shell.host->itemCall("SecondaryActivate", {10, 10});
        shell.host->itemCall("Scroll", {120, QStringLiteral("vertical")});
        ShellRig::settle();
        QVERIFY(window.isVisible());

        QMenu* menu = shell.rig.delegate().statusItem()->menu();
        QVERIFY(!menu->isVisible());
        QVERIFY(!isError(shell.host->itemCall("ContextMenu", {10, 10})));
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    // The exported menu in English; a language change replaces it: a new
    // layout revision, new ids, the old ids refused.
    void menuLayoutAndLanguageChange()
    {
        SniShell shell(AppLanguage::english);
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
            const bool separator = entry.properties.value("type").toString() == QLatin1String("separator");
            seen << (separator ? QStringLiteral("-") : entry.properties.value("label").toString());
            QVERIFY(separator || (entry.properties.value("enabled").toBool() && entry.properties.value("visible").toBool()));
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
        seen.clear();
        for (const DBusMenuLayoutItem& entry : layoutOf(after).children) {
            QVERIFY(!ids.contains(entry.id));
            seen << entry.properties.value("label").toString();
        }
        QCOMPARE(seen, (QStringList{"设置…", "检查更新…", "", "关于 Lumora", "", "退出"}));

        QSignalSpy quit(&shell.rig.delegate(), &AppDelegate::quitRequested);
        QVERIFY(isError(shell.host->menuEvent(ids.at(5))));
        ShellRig::settle();
        QCOMPARE(quit.size(), 0);
    }

    void eventRunsEachEntry_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("effect");
        QTest::newRow("settings") << 0 << "openSettings";
        QTest::newRow("check for updates") << 1 << "triggered";
        QTest::newRow("about") << 3 << "about";
        QTest::newRow("quit") << 5 << "quit";
    }
    void eventRunsEachEntry()
    {
        QFETCH(int, index);
        QFETCH(QString, effect);
        SniShell shell;
        QAction* entry = shell.rig.delegate().statusItem()->menu()->actions().at(index);
        QSignalSpy triggered(entry, &QAction::triggered);
        QSignalSpy quit(&shell.rig.delegate(), &AppDelegate::quitRequested);
        // Settings are posted once the hidden window is shown again.
        shell.rig.window().hide();
        int settingsPosts = 0;
        bool shownAtPost = false;
        QObject context;
        AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::openSettings, &context, [&] {
            ++settingsPosts;
            shownAtPost = shell.rig.window().isVisible();
        });
        const int id = shell.entryId(index);
        // Opening and hovering run nothing; a click does, once.
        for (const char* event : {"opened", "hovered", "clicked", "closed"}) {
            QVERIFY(!isError(shell.host->menuEvent(id, QString::fromLatin1(event))));
        }
        QTRY_COMPARE(triggered.size(), 1);
        ShellRig::settle();
        QCOMPARE(settingsPosts, effect == QLatin1String("openSettings") ? 1 : 0);
        QCOMPARE(shownAtPost, settingsPosts > 0);
        QCOMPARE(quit.size(), effect == QLatin1String("quit") ? 1 : 0);
        AboutWindow* about = shell.rig.delegate().aboutWindow();
        QCOMPARE(about && about->isVisible(), effect == QLatin1String("about"));
        // A separator is no entry to run.
        QVERIFY(!isError(shell.host->menuEvent(shell.entryId(2))));
        // Several at once, as some panels send them.
        DBusMenuEventList group{{id, QStringLiteral("clicked"), QDBusVariant(0), 0}};
        const QDBusMessage reply = shell.host->menuCall("EventGroup", {QVariant::fromValue(group)});
        QVERIFY(!isError(reply));
        QTRY_COMPARE(triggered.size(), 2);
        if (about)
            about->close();
    }

    // Nothing but the two interfaces answers, nothing in them can be written,
    // and ids the menu never gave out are refused; the item goes on answering.
    void badCallsAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QList<int>>("idErrors");
        const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
        const QString item = StatusNotifierBackend::itemPath;
        const QString menu = StatusNotifierBackend::menuPath;
        const QString dbusMenu = PanelHost::menuInterface;
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        const auto refused = [&](const char* name, const QString& path, const QString& interface,
                                 const char* method, const QVariantList& args) {
            QTest::newRow(name) << path << interface << QString::fromLatin1(method) << args << true << QList<int>{};
        };
        refused("unknown item property", item, props, "Get", {PanelHost::itemInterface, "Colour"});
        refused("unknown menu property", menu, props, "Get", {dbusMenu, "Revision"});
        refused("writing the title", item, props, "Set",
                {PanelHost::itemInterface, "Title", QVariant::fromValue(QDBusVariant(QStringLiteral("x")))});
        refused("a QObject slot", item, "org.qtproject.Qt.QObject", "deleteLater", {});
        refused("a setter of the item", item, PanelHost::itemInterface, "setTitle", {QStringLiteral("x")});
        refused("a setter of the menu", menu, dbusMenu, "setMenu", {});
        refused("another path", "/", PanelHost::itemInterface, "Activate", {0, 0});
        refused("layout of an unknown entry", menu, dbusMenu, "GetLayout", {999, -1, QStringList{}});
        refused("property of an unknown entry", menu, dbusMenu, "GetProperty", {999, "label"});
        refused("unknown property", menu, dbusMenu, "GetProperty", {-1, "colour"});
        refused("click on an unknown entry", menu, dbusMenu, "Event", {999, "clicked", data, 0u});
        refused("unknown entry about to show", menu, dbusMenu, "AboutToShow", {999});
        refused("group of unknown entries", menu, dbusMenu, "EventGroup",
                {QVariant::fromValue(DBusMenuEventList{{999, "clicked", QDBusVariant(0), 0}})});
        refused("wrong argument types", menu, dbusMenu, "GetLayout", {"zero"});
        QTest::newRow("group with one unknown entry")
            << menu << dbusMenu << "EventGroup"
            << QVariantList{QVariant::fromValue(DBusMenuEventList{{-1, "hovered", QDBusVariant(0), 0},
                                                                  {998, "clicked", QDBusVariant(0), 0}})}
            << false << QList<int>{998};
        QTest::newRow("about to show, one unknown")
            << menu << dbusMenu << "AboutToShowGroup" << QVariantList{QVariant::fromValue(QList<int>{0, 997})}
            << false << QList<int>{997};
    }
    void badCallsAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, interface);
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(bool, error);
        QFETCH(QList<int>, idErrors);
        SniShell shell;
        // -1 stands for an entry that exists.
        for (QVariant& a : args) {
            if (a.metaType() == QMetaType::fromType<int>() && a.toInt() == -1)
                a = shell.entryId(0);
            if (a.metaType() == QMetaType::fromType<DBusMenuEventList>()) {
                auto events = a.value<DBusMenuEventList>();
                for (DBusMenuEvent& e : events) {
                    if (e.id == -1)
                        e.id = shell.entryId(0);
                }
                a = QVariant::fromValue(events);
            }
        }
        const QDBusMessage reply = shell.host->call(path, interface, method, args);
        QCOMPARE(isError(reply), error);
        if (!error) {
            const int at = method == QLatin1String("AboutToShowGroup") ? 1 : 0;
            QCOMPARE(qdbus_cast<QList<int>>(reply.arguments().at(at)), idErrors);
        }
        QCOMPARE(shell.host->itemProperty("Title").toString(), kIdle);
        QCOMPARE(shell.host->layout().children.size(), 6);
    }

    // With a watcher the item is ours; without one QSystemTrayIcon's stand-in,
    // until a watcher appears.
    void backendFollowsTheWatcher_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("watcher before start") << "before";
        QTest::newRow("watcher after start") << "after";
        QTest::newRow("panel after start") << "panel after";
        QTest::newRow("no watcher") << "never";
        QTest::newRow("no session bus") << "no bus";
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
        const DBusMenuLayoutItem root = host.layout();
        QCOMPARE(root.children.size(), 1);
        QCOMPARE(root.children.at(0).properties.value("label").toString(), QStringLiteral("Quit"));
        host.itemCall("Activate", {0, 0});
        QTRY_COMPARE(clicks.size(), later ? 2 : 1);
        QCOMPARE(clicks.last().at(0).value<TrayBackend::Click>(), TrayBackend::Click::primary);
    }

    // A watcher that is there at start but never answers holds up nothing:
    // the item is ours, answers the bus and keeps its title current.
    void hungWatcherAtStart()
    {
        PrivateBus bus;
        QThread stuck;
        stuck.start();
        QSemaphore release;
        auto watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        watcher->moveToThread(&stuck);
        QMetaObject::invokeMethod(
            watcher.get(), [&release] { release.acquire(); }, Qt::QueuedConnection);

        QPointer<StatusNotifierBackend> item;
        const auto tray = shownTray(bus, item);
        QTRY_COMPARE_WITH_TIMEOUT(tray->kind(), DesktopTrayBackend::Kind::statusNotifier, 15'000);
        QVERIFY(item);
        tray->setTitle(QStringLiteral("\u23F1 00:42"));
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 00:42"));
        QVERIFY(!item->isRegistered());

        release.release();
        QMetaObject::invokeMethod(watcher.release(), &QObject::deleteLater);
        stuck.quit();
        QVERIFY(stuck.wait(10'000));
    }

    // A panel that restarts into a watcher that never answers holds up
    // nothing (a plain restart is in the fault tests, mid-countdown).
    void watcherRestartsAndHangs()
    {
        PrivateBus bus;
        auto watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        QPointer<StatusNotifierBackend> item;
        const auto tray = shownTray(bus, item);
        QTRY_VERIFY(item && item->isRegistered());

        watcher.reset();
        QTRY_VERIFY(!item->isRegistered());
        QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
        tray->setTitle(QStringLiteral("\u23F1 00:10"));

        watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")),
                                                          StatusNotifierWatcher::Behaviour::silent);
        QTRY_COMPARE(watcher->items, QStringList{item->serviceName()});
        // The item answers at once all the same.
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), QStringLiteral("\u23F1 00:10"));
        QVERIFY(!item->isRegistered());
        tray->setTitle(QStringLiteral("\u23F1 00:09"));
        QCOMPARE(host.itemProperty("Title").toString(), QStringLiteral("\u23F1 00:09"));
        QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
    }
};

QTEST_MAIN(TestStatusNotifier)
#include "test_status_notifier.moc"
