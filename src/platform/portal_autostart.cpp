#include "platform/portal_autostart.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTimer>

namespace {
const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");

// Receives the portal's one Response for a request, or gives up.
class PortalRequest final : public QObject {
    Q_OBJECT
public:
    PortalRequest(QDBusConnection bus, QString handle, bool on, LoginItem::Done done, QObject* parent)
        : QObject(parent), bus_(bus), handle_(std::move(handle)), on_(on), done_(std::move(done))
    {
        bus_.connect(service, handle_, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                     this, SLOT(onResponse(QDBusMessage)));
        QTimer::singleShot(PortalAutostart::answerTimeoutMs, this,
                           [this] { finish(QStringLiteral("the desktop did not answer")); });
    }

    // Older portals choose the request's path themselves.
    void follow(const QString& handle)
    {
        if (handle.isEmpty() || handle == handle_ || !done_)
            return;
        unlisten();
        handle_ = handle;
        bus_.connect(service, handle_, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                     this, SLOT(onResponse(QDBusMessage)));
    }

    void finish(const QString& error)
    {
        if (!done_)
            return;
        unlisten();
        auto done = std::move(done_);
        done_ = nullptr;
        deleteLater();
        done(error);
    }

public Q_SLOTS:
    void onResponse(const QDBusMessage& message)
    {
        const QVariantList args = message.arguments();
        if (args.size() != 2)
            return finish(QStringLiteral("the desktop gave an answer Lumora does not understand"));
        const uint response = args[0].toUInt();
        const QVariantMap results = qdbus_cast<QVariantMap>(args[1]);
        if (response == 1)
            return finish(QStringLiteral("the request was cancelled"));
        if (response != 0)
            return finish(QStringLiteral("the desktop refused the request"));
        if (results.value(QStringLiteral("autostart")).toBool() != on_)
            return finish(on_ ? QStringLiteral("the desktop does not allow Lumora to start at login")
                              : QStringLiteral("the desktop kept Lumora starting at login"));
        finish({});
    }

private:
    void unlisten()
    {
        bus_.disconnect(service, handle_, QStringLiteral("org.freedesktop.portal.Request"),
                        QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    }

    QDBusConnection bus_;
    QString handle_;
    bool on_;
    LoginItem::Done done_;
};

// Where the portal will put the request's object, so its Response can be
// listened for before the call is made.
QString expectedHandle(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}
}  // namespace

PortalAutostart::PortalAutostart(QDBusConnection bus, QObject* parent) : LoginItem(parent), bus_(bus) {}

void PortalAutostart::setRegistered(bool on, Done done)
{
    if (!bus_.isConnected()) {
        if (done)
            done(QStringLiteral("there is no session bus"));
        return;
    }
    const QString token = QStringLiteral("lumora_login_%1").arg(++requests_);
    auto* request = new PortalRequest(bus_, expectedHandle(bus_, token), on, std::move(done), this);

    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), token);
    options.insert(QStringLiteral("reason"), QStringLiteral("Start Lumora when you log in"));
    options.insert(QStringLiteral("autostart"), on);
    options.insert(QStringLiteral("commandline"), QStringList{QStringLiteral("lumora")});
    options.insert(QStringLiteral("dbus-activatable"), false);
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.portal.Background"),
                                                       QStringLiteral("RequestBackground"));
    call << QString() << options;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMs), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ErrorMessage)
            request->finish(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
        else if (!reply.arguments().isEmpty())
            request->follow(reply.arguments().constFirst().value<QDBusObjectPath>().path());
    });
}

#include "portal_autostart.moc"
