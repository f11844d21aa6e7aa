#include "platform/single_instance.h"

#include "platform/local_activation_socket.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <optional>
#include <system_error>

namespace {
Q_LOGGING_CATEGORY(lcInstance, "lumora.instance", QtInfoMsg)

const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");

QString runtimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}
}  // namespace

SingleInstance::SingleInstance(QString appId, QObject* parent) : QObject(parent), appId_(std::move(appId))
{
}

SingleInstance::~SingleInstance()
{
    if (connecting_.joinable())
        connecting_.join();
}

void SingleInstance::connectAhead()
{
    if (connecting_.joinable())
        return;
    try {
        // The connection is made on Qt's bus thread in a few round trips to
        // the daemon; whichever thread asks first waits for them.
        connecting_ = std::thread([] { (void)QDBusConnection::sessionBus(); });
    } catch (const std::system_error&) {
        // No thread to spare: claim() connects.
    }
}

QString SingleInstance::objectPath() const
{
    return QLatin1Char('/') + QString(appId_).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QString SingleInstance::socketPath() const
{
    return runtimeDir() + QLatin1Char('/') + appId_ + QStringLiteral(".socket");
}

SingleInstance::Role SingleInstance::claim()
{
    if (connecting_.joinable())
        connecting_.join();
    if (auto role = claimOnBus())
        return *role;
    return claimLocally();
}

std::optional<SingleInstance::Role> SingleInstance::claimOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return std::nullopt;

    // The object is there before the name, so a caller that sees the name
    // always finds someone to answer.
    const bool exported = bus.registerObject(objectPath(), this,
                                             QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAdaptors);
    const auto reply = bus.interface()->registerService(appId_, QDBusConnectionInterface::DontQueueService,
                                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered && exported) {
        mechanism_ = QStringLiteral("bus");
        // Sent by the bus library itself when the connection drops.
        bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                    QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                    SLOT(takeOverLocally()));
        return Role::primary;
    }
    bus.unregisterObject(objectPath());
    if (!reply.isValid()) {
        // The bus refused us the name for another reason: use the fallback.
        return std::nullopt;
    }

    QDBusMessage call = QDBusMessage::createMethodCall(appId_, objectPath(), kApplicationInterface,
                                                       QStringLiteral("Activate"));
    call << platformDataFromEnvironment();
    const QDBusMessage answer = bus.call(call, QDBus::Block, requestTimeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage ? Role::secondary : Role::failed;
}

SingleInstance::Role SingleInstance::claimLocally()
{
    if (listenLocally())
        return Role::primary;
    return LocalActivationSocket::ask(socketPath(), requestTimeoutMs) ? Role::secondary : Role::failed;
}

bool SingleInstance::listenLocally()
{
    const QString dir = runtimeDir();
    QDir().mkpath(dir);
    lock_ = std::make_unique<QLockFile>(dir + QLatin1Char('/') + appId_ + QStringLiteral(".lock"));
    // A lock left by a process that is gone is taken over at once.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    // The lock is ours, so a socket file there is a crashed instance's.
    server_ = std::make_unique<LocalActivationSocket>();
    QString error;
    if (!server_->listen(socketPath(), error))
        qCWarning(lcInstance).noquote() << "cannot listen on" << socketPath() << ":" << error;
    connect(server_.get(), &LocalActivationSocket::activateRequested, this, [this] { Activate({}); });
    mechanism_ = QStringLiteral("local");
    return true;
}

void SingleInstance::takeOverLocally()
{
    // Without it a later start would find no bus and no socket, and run
    // as a second instance.
    if (server_)
        return;
    if (listenLocally())
        qCInfo(lcInstance).noquote() << "the session bus went away; a later start finds Lumora at" << socketPath();
    else
        qCWarning(lcInstance).noquote() << "the session bus went away and another process holds" << socketPath();
}

QVariantMap SingleInstance::platformDataFromEnvironment()
{
    QVariantMap data;
    if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
        data.insert(QStringLiteral("activation-token"), token);
    if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), id);
    return data;
}

void SingleInstance::Activate(const QVariantMap& platformData)
{
    // A Wayland compositor lets a window take focus only with the token the
    // launcher gave the new process.
    QString token = platformData.value(QStringLiteral("activation-token")).toString();
    if (token.isEmpty())
        token = platformData.value(QStringLiteral("desktop-startup-id")).toString();
    qCDebug(lcInstance) << "show requested";
    Q_EMIT activateRequested(token);
}

void SingleInstance::Open(const QStringList& uris, const QVariantMap& platformData)
{
    Q_UNUSED(uris);
    // Lumora opens no files; being asked to is being asked to show up.
    Activate(platformData);
}

void SingleInstance::ActivateAction(const QString& action, const QVariantList& parameter,
                                    const QVariantMap& platformData)
{
    Q_UNUSED(action);
    Q_UNUSED(parameter);
    Activate(platformData);
}
