#include "settings_rig.h"

#include "platform/portal_autostart.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <sys/stat.h>

namespace {
// What `action` prints to standard output. Qt's test log keeps the stream
// it started with, so only the program's own lines are caught.
QString printedBy(const std::function<void()>& action)
{
    char* text = nullptr;
    size_t size = 0;
    FILE* const saved = std::exchange(stdout, open_memstream(&text, &size));
    action();
    std::fclose(std::exchange(stdout, saved));
    const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
    return QString::fromUtf8(text, qsizetype(size));
}
}  // namespace

// The desktop's Background portal: answers every request with `response`,
// granting autostart as `grant` says.
class BackgroundPortalStandIn final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Background")
public:
    uint response = 0;
    bool grant = true;
    QVariantMap lastOptions;

public Q_SLOTS:
    QDBusObjectPath RequestBackground(const QString&, const QVariantMap& options)
    {
        lastOptions = options;
        const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                   .arg(message().service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')),
                                        options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage answer = QDBusMessage::createSignal(handle, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        answer << response << QVariantMap{{QStringLiteral("autostart"), grant}};
        // After the call's own reply, as a portal sends it.
        QTimer::singleShot(0, this, [bus = connection(), answer] { bus.send(answer); });
        return QDBusObjectPath(handle);
    }
};

using Prepare = std::function<void(const QString& folder)>;
// What is in the folder, whether the switch starts on, a condition held
// while switching, and whether switching fails.
using Row = std::tuple<Prepare, bool, std::function<std::shared_ptr<void>()>, bool>;
Q_DECLARE_METATYPE(Row)

class TestLoginItem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The launch switch turned over and back. Registering writes our entry
    // over any other, in a symlinked folder too; a failure prints one line,
    // writes nothing half and turns the switch and the setting back.
    void launchSwitch_data()
    {
        QTest::addColumn<Row>("row");
        const Prepare fresh = [](const QString&) {};
        const Prepare entryIsAFolder = [](const QString& folder) { QDir().mkpath(folder + QStringLiteral("/lumora.desktop")); };
        const Prepare readOnly = [](const QString& folder) {
            writeFile(folder + QStringLiteral("/lumora.desktop"), "[Desktop Entry]\n");
            ::chmod(QFile::encodeName(QFileInfo(folder).path()).constData(), 0755);
            ::chmod(QFile::encodeName(folder).constData(), 0555);
        };
        const auto asUser = [] { return std::make_shared<UnprivilegedFileAccess>(); };
        QTest::newRow("fresh home") << Row{fresh, false, {}, false};
        QTest::newRow("hand-written entry") << Row{[](const QString& folder) {
            writeFile(folder + QStringLiteral("/lumora.desktop"), "[Desktop Entry]\nExec=/old/lumora\nHidden=true\n");
        }, false, {}, false};
        QTest::newRow("symlinked folder") << Row{[](const QString& folder) {
            QVERIFY(QDir().mkpath(folder + QStringLiteral("-aside")) && QFile::link(folder + QStringLiteral("-aside"), folder));
        }, false, {}, false};
        // Turning off what was never registered succeeds.
        QTest::newRow("stored on, never registered") << Row{fresh, true, {}, false};
        QTest::newRow("folder cannot be made") << Row{[](const QString& folder) { writeFile(folder, "a file"); }, false, {}, true};
        QTest::newRow("entry is a folder, on") << Row{entryIsAFolder, false, {}, true};
        QTest::newRow("entry is a folder, off") << Row{entryIsAFolder, true, {}, true};
        QTest::newRow("read-only folder, on") << Row{readOnly, false, asUser, true};
        QTest::newRow("read-only folder, off") << Row{readOnly, true, asUser, true};
        QTest::newRow("disk full") << Row{fresh, false, [] { return std::make_shared<FileSizeLimit>(8); }, true};
    }
    void launchSwitch()
    {
        QFETCH(Row, row);
        const auto& [prepare, startOn, guard, fails] = row;
        SettingsRig r;
        r.timer.setLaunchAtLogin(startOn);
        r.open();
        const QString folder = r.home.path() + QStringLiteral("/autostart");
        const QString entry = folder + QStringLiteral("/lumora.desktop");
        prepare(folder);
        const bool symlinked = QFileInfo(folder).isSymLink();
        const QByteArray before = readFile(entry);
        const QRegularExpression failureLine(QStringLiteral("^%1[^\n]{5,}\n\\z").arg(
            QRegularExpression::escape(QString::fromUtf8(SettingsView::loginItemFailure))));
        for (const bool on : {!startOn, startOn}) {
            const QString printed = printedBy([&] {
                const auto held = guard ? guard() : nullptr;
                QTest::mouseClick(r.view->launchRow()->toggle(), Qt::LeftButton);
                r.settle();
            });
            ::chmod(QFile::encodeName(folder).constData(), 0755);
            const bool now = on != fails;
            QCOMPARE(r.timer.launchAtLogin(), now);
            QCOMPARE(r.view->launchRow()->toggle()->isChecked(), now);
            QCOMPARE(r.home.openStore()->readBool(TimerManager::launchAtLoginKey, !now), now);
            if (fails) {
                QVERIFY2(failureLine.match(printed).hasMatch(), qPrintable(printed));
                QCOMPARE(readFile(entry), before);
                return;
            }
            QCOMPARE(printed, QString());
            QCOMPARE(readFile(entry), on ? XdgAutostart::entryFor(QStringLiteral("/usr/bin/lumora")) : QByteArray());
            QCOMPARE(QFileInfo(folder).isSymLink(), symlinked);
        }
    }

    // Exec= quoted and escaped as desktop entries want it, passing the
    // validator; a path that no quoting can carry gives no entry at all.
    void programPathsNeedingQuotes()
    {
        TempConfigHome home;
        const std::pair<QString, QByteArray> rows[] = {
            {QStringLiteral("/opt/My Apps/lumora"), "\"/opt/My Apps/lumora\""},
            {QStringLiteral("/opt/a\"b$c/lumora"), "\"/opt/a\\\\\"b\\\\$c/lumora\""},
            {QStringLiteral("/opt/100%/lumora"), "/opt/100%%/lumora"},
            {QStringLiteral("/opt/计时/lumora"), QStringLiteral("\"/opt/计时/lumora\"").toUtf8()}};
        for (const auto& [program, exec] : rows) {
            XdgAutostart(program).setRegistered(true, {});
            const QByteArray entry = readFile(XdgAutostart::entryPath());
            QVERIFY2(entry.contains("\nExec=" + exec + "\n"), entry.constData());
            QCOMPARE(QProcess::execute(QStringLiteral("desktop-file-validate"), {XdgAutostart::entryPath()}), 0);
        }
        QVERIFY(XdgAutostart::entryFor(QStringLiteral("/opt/line\nbreak")).isEmpty());
    }

    // Inside a sandbox the Background portal is asked, for Lumora's command
    // line: granted, or turned off, it succeeds; with no portal, or one
    // that is refused, does not allow it or fails, it does not.
    void backgroundPortal()
    {
        PrivateBus bus;
        QDBusConnection portalBus = bus.connect(QStringLiteral("portal"));
        BackgroundPortalStandIn portal;
        PortalAutostart item(bus.connect(QStringLiteral("lumora")));
        std::optional<QString> error;
        const auto done = [&error](const QString& e) { error = e; };
        item.setRegistered(true, done);
        QTRY_VERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(portalBus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                         QDBusConnection::ExportAllSlots)
                && portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        // (on, the portal's response and grant, succeeds)
        const std::tuple<bool, uint, bool, bool> rows[] = {
            {true, 0, true, true}, {false, 0, false, true}, {true, 1, false, false}, {true, 0, false, false}, {true, 2, false, false}};
        for (const auto& [on, response, grant, succeeds] : rows) {
            portal.response = response;
            portal.grant = grant;
            error.reset();
            item.setRegistered(on, done);
            QTRY_VERIFY(error.has_value());
            QCOMPARE(error->isEmpty(), succeeds);
            QCOMPARE(portal.lastOptions.value(QStringLiteral("autostart")).toBool(), on);
            QCOMPARE(portal.lastOptions.value(QStringLiteral("commandline")).toStringList(), QStringList{QStringLiteral("lumora")});
        }
    }
};

QTEST_MAIN(TestLoginItem)
#include "test_login_item.moc"
