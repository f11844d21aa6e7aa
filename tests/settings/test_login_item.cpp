#include "settings_rig.h"

#include "platform/portal_autostart.h"
#include "views/settings_switch_row.h"
#include "views/switch_toggle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <optional>
#include <sys/stat.h>

namespace {
QString autostartDir(const SettingsRig& r)
{
    return r.home.path() + QStringLiteral("/autostart");
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// desktop-file-validate's verdict, or empty when it passes.
QString validate(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {path});
    if (!p.waitForFinished(10'000))
        return QStringLiteral("desktop-file-validate did not run");
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    return p.exitCode() == 0 && out.isEmpty() ? QString() : out;
}

// The real entry, with a condition that holds only while it is written.
class GuardedLoginItem final : public LoginItem {
public:
    using Guard = std::function<std::shared_ptr<void>()>;
    GuardedLoginItem(LoginItem& inner, Guard guard) : inner_(inner), guard_(std::move(guard)) {}

    void setRegistered(bool on, Done done) override
    {
        QString error;
        {
            const auto held = guard_();
            inner_.setRegistered(on, [&error](const QString& e) { error = e; });
        }
        done(error);
    }

private:
    LoginItem& inner_;
    Guard guard_;
};

void clickLaunch(SettingsRig& r)
{
    QTest::mouseClick(r.view->launchRow()->toggle(), Qt::LeftButton);
    r.settle();
}
}  // namespace

// The desktop's Background portal: answers every request with `response`,
// granting autostart as `grant` says.
class BackgroundPortalStandIn final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Background")
public:
    explicit BackgroundPortalStandIn(QDBusConnection bus) : bus_(bus) {}

    bool publish()
    {
        return bus_.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                   QDBusConnection::ExportAllSlots)
               && bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    uint response = 0;
    bool grant = true;
    QVariantMap lastOptions;

public Q_SLOTS:
    QDBusObjectPath RequestBackground(const QString&, const QVariantMap& options, const QDBusMessage& call)
    {
        lastOptions = options;
        QString sender = call.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                   .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(10, this, [this, handle] {
            QDBusMessage signal = QDBusMessage::createSignal(handle, QStringLiteral("org.freedesktop.portal.Request"),
                                                             QStringLiteral("Response"));
            signal << response << QVariantMap{{QStringLiteral("autostart"), grant}};
            bus_.send(signal);
        });
        return QDBusObjectPath(handle);
    }

private:
    QDBusConnection bus_;
};

using Prepare = std::function<void(SettingsRig&)>;
Q_DECLARE_METATYPE(Prepare)

class TestLoginItem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void registering_data()
    {
        QTest::addColumn<Prepare>("prepare");
        QTest::newRow("fresh home") << Prepare([](SettingsRig&) {});
        QTest::newRow("hand-written entry") << Prepare([](SettingsRig& r) {
            QDir().mkpath(autostartDir(r));
            writeFile(autostartDir(r) + QStringLiteral("/lumora.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Old\nExec=/old/lumora --tray\nHidden=true\n");
        });
        QTest::newRow("symlinked folder") << Prepare([](SettingsRig& r) {
            QDir().mkpath(r.home.path() + QStringLiteral("/dotfiles/autostart"));
            QFile::link(r.home.path() + QStringLiteral("/dotfiles/autostart"), autostartDir(r));
        });
        // Turning off what was never registered succeeds.
        QTest::newRow("stored on, never registered") << Prepare([](SettingsRig& r) {
            r.timer.setLaunchAtLogin(true);
            r.open();
        });
    }
    void registering()
    {
        QFETCH(Prepare, prepare);
        SettingsRig r;
        prepare(r);
        const bool symlinked = QFileInfo(autostartDir(r)).isSymLink();
        const QString entry = autostartDir(r) + QStringLiteral("/lumora.desktop");
        const bool first = !r.timer.launchAtLogin();
        StdoutCapture out;
        for (bool on : {first, !first}) {
            clickLaunch(r);
            QCOMPARE(QFileInfo::exists(entry), on);
            QVERIFY(!on || readAll(entry).contains("\nExec=/usr/bin/lumora\n"));
            QCOMPARE(on ? validate(entry) : QString(), QString());
            QCOMPARE(QFileInfo(autostartDir(r)).isSymLink(), symlinked);
            QCOMPARE(r.home.openStore()->readBool(TimerManager::launchAtLoginKey, !on), on);
            QCOMPARE(r.view->launchRow()->toggle()->isChecked(), on);
        }
        QCOMPARE(out.release(), QString());
    }

    // Exec= quoted and escaped as desktop entries want it; a path that no
    // quoting can carry gives no entry at all.
    void programPathsNeedingQuotes()
    {
        TempConfigHome home;
        const std::pair<QString, QByteArray> rows[] = {
            {QStringLiteral("/opt/My Apps/lumora"), "\"/opt/My Apps/lumora\""},
            {QStringLiteral("/opt/a\"b$c/lumora"), "\"/opt/a\\\\\"b\\\\$c/lumora\""},
            {QStringLiteral("/opt/100%/lumora"), "/opt/100%%/lumora"},
            {QStringLiteral("/opt/计时/lumora"), QStringLiteral("\"/opt/计时/lumora\"").toUtf8()}};
        for (const auto& [program, exec] : rows) {
            XdgAutostart item(program);
            QString error = QStringLiteral("not called");
            item.setRegistered(true, [&](const QString& e) { error = e; });
            QCOMPARE(error, QString());
            const QByteArray entry = readAll(XdgAutostart::entryPath());
            QVERIFY2(entry.contains("\nExec=" + exec + "\n"), entry.constData());
            QCOMPARE(validate(XdgAutostart::entryPath()), QString());
        }
        QVERIFY(XdgAutostart::entryFor(QStringLiteral("/opt/line\nbreak")).isEmpty());
    }

    // Inside a sandbox the Background portal is asked, for Lumora's command
    // line: granted, or turned off, it succeeds; with no portal, or one
    // that is refused, does not allow it or fails, it does not.
    void backgroundPortal()
    {
        PrivateBus bus;
        QVERIFY(bus.isRunning());
        BackgroundPortalStandIn portal(bus.connect(QStringLiteral("portal")));
        PortalAutostart item(bus.connect(QStringLiteral("lumora")));
        std::optional<QString> error;
        const auto done = [&error](const QString& e) { error = e; };
        item.setRegistered(true, done);
        QTRY_VERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
        QVERIFY(portal.publish());
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

    void failuresRevertAndPrintOneLine_data()
    {
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<bool>("turningOn");
        QTest::addColumn<bool>("limitFileSize");
        QTest::addColumn<bool>("unprivileged");
        const Prepare folderIsAFile = [](SettingsRig& r) { writeFile(autostartDir(r), "not a folder"); };
        const Prepare entryIsAFolder = [](SettingsRig& r) { QDir().mkpath(autostartDir(r) + QStringLiteral("/lumora.desktop")); };
        const Prepare readOnlyFolder = [](SettingsRig& r) {
            QDir().mkpath(autostartDir(r));
            writeFile(autostartDir(r) + QStringLiteral("/lumora.desktop"), "[Desktop Entry]\n");
            ::chmod(QFile::encodeName(r.home.path()).constData(), 0755);
            ::chmod(QFile::encodeName(autostartDir(r)).constData(), 0555);
        };
        QTest::newRow("folder cannot be made") << folderIsAFile << true << false << false;
        QTest::newRow("entry is a folder, on") << entryIsAFolder << true << false << false;
        QTest::newRow("entry is a folder, off") << entryIsAFolder << false << false << false;
        QTest::newRow("read-only folder, on") << readOnlyFolder << true << false << true;
        QTest::newRow("read-only folder, off") << readOnlyFolder << false << false << true;
        QTest::newRow("disk full") << Prepare([](SettingsRig&) {}) << true << true << false;
    }
    void failuresRevertAndPrintOneLine()
    {
        QFETCH(Prepare, prepare);
        QFETCH(bool, turningOn);
        QFETCH(bool, limitFileSize);
        QFETCH(bool, unprivileged);
        SettingsRig r;
        GuardedLoginItem item(r.loginItem, [=]() -> std::shared_ptr<void> {
            if (unprivileged)
                return std::make_shared<UnprivilegedFileAccess>();
            if (limitFileSize)
                return std::make_shared<FileSizeLimit>(8);
            return nullptr;
        });
        r.timer.setLaunchAtLogin(!turningOn);
        r.open(&item);
        prepare(r);
        const QString entry = autostartDir(r) + QStringLiteral("/lumora.desktop");
        const QByteArray before = readAll(entry);
        StdoutCapture out;
        clickLaunch(r);
        const QString printed = out.release();
        ::chmod(QFile::encodeName(autostartDir(r)).constData(), 0755);

        // One line: the failure and a reason after it.
        const QRegularExpression line(QStringLiteral("^%1[^\n]{5,}\n\\z").arg(QRegularExpression::escape(QString::fromUtf8(SettingsView::loginItemFailure))));
        QVERIFY2(line.match(printed).hasMatch(), qPrintable(printed));
        QCOMPARE(r.timer.launchAtLogin(), !turningOn);
        QCOMPARE(r.home.openStore()->readBool(TimerManager::launchAtLoginKey, turningOn), !turningOn);
        QCOMPARE(r.view->launchRow()->toggle()->isChecked(), !turningOn);
        // Nothing written half.
        QCOMPARE(readAll(entry), before);
    }
};

QTEST_MAIN(TestLoginItem)
#include "test_login_item.moc"
