#include "app/command_line_client.h"

#include "build_config.h"
#include "platform/single_instance.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {
const QString kTimerInterface = QStringLiteral("org.lumora.Lumora.Timer");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// A first start under a sanitizer build takes a while; a person waits no longer.
constexpr int kLaunchTimeoutMs = 30'000;
constexpr int kCallTimeoutMs = 30'000;

void writeLine(std::FILE* to, const QString& line)
{
    std::fputs(line.toUtf8().append('\n').constData(), to);
    std::fflush(to);
}

// A blocking call. After an error reply Qt's bus thread still announces the
// failure once the caller is woken; a round trip to the daemon lets it finish
// before the process exits and takes Qt's type registry with it.
QDBusMessage callAndSettle(const QDBusConnection& bus, const QDBusMessage& message)
{
    const QDBusMessage reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        (void)bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus.Peer"),
                                                      QStringLiteral("Ping")),
                       QDBus::Block, kCallTimeoutMs);
    return reply;
}

bool isAbsent(const QDBusMessage& reply)
{
    return reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}
}  // namespace

bool CommandLineClient::wanted(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return false;
    const QString& first = arguments.at(1);
    if (!first.startsWith(QLatin1Char('-')))
        return true;
    // Anything else that starts with a dash is Qt's (-platform, -style ...).
    static const QStringList own{QStringLiteral("-h"),       QStringLiteral("--help"), QStringLiteral("--help-all"),
                                 QStringLiteral("-v"),       QStringLiteral("--version"), QStringLiteral("--json"),
                                 QStringLiteral("--follow"), QStringLiteral("--until")};
    return own.contains(first.section(QLatin1Char('='), 0, 0));
}

CommandLineClient::CommandLineClient()
    : bus_(QDBusConnection::sessionBus()),
      service_(QString::fromUtf8(lumora::build::kAppId)),
      path_(SingleInstance(service_).objectPath())
{
}

int CommandLineClient::fail(int status, const QString& message) const
{
    // One line, whatever the instance put in its error text.
    QString text = message.simplified();
    writeLine(stderr, QStringLiteral("lumora: ") + (text.isEmpty() ? QStringLiteral("the request failed") : text));
    return status;
}

int CommandLineClient::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A countdown timer. Without a command it opens its window (or brings it forward).\n\n"
        "Commands:\n"
        "  start DURATION       count down DURATION: 25m, 90s, 1h30m, 1:30:00 or minutes (25)\n"
        "  start --until HH:MM  count down to a clock time\n"
        "  pause, resume        pause or resume the countdown\n"
        "  toggle               pause a running countdown, resume a paused one\n"
        "  reset                end the countdown\n"
        "  stop                 stop the ringing\n"
        "  status               print the state and read-out: running 24:59, paused 10:00,\n"
        "                       ringing, idle 10:00 (exit status 3 when Lumora is not running)"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("status: print a JSON object per line."));
    const QCommandLineOption follow(QStringLiteral("follow"),
                                    QStringLiteral("status: print again whenever the read-out changes, until "
                                                   "Lumora quits."));
    const QCommandLineOption until(QStringLiteral("until"), QStringLiteral("start: count down to this clock time."),
                                   QStringLiteral("HH:MM"));
    parser.addOptions({json, follow, until});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do; see above."),
                                 QStringLiteral("[command]"));
    parser.addPositionalArgument(QStringLiteral("duration"), QStringLiteral("start: how long."),
                                 QStringLiteral("[duration]"));

    if (!parser.parse(arguments))
        return fail(refused, parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return ok;
    }
    if (parser.isSet(version)) {
        writeLine(stdout, QStringLiteral("lumora %1").arg(QString::fromUtf8(lumora::build::kVersion)));
        return ok;
    }

    const QStringList words = parser.positionalArguments();
    const QString command = words.value(0);
    const bool statusOptions = parser.isSet(json) || parser.isSet(follow);
    if (command.isEmpty())
        return fail(refused, QStringLiteral("no command given; see lumora --help"));
    if (statusOptions && command != QLatin1String("status"))
        return fail(refused, QStringLiteral("--json and --follow go with status"));
    if (parser.isSet(until) && command != QLatin1String("start"))
        return fail(refused, QStringLiteral("--until goes with start"));

    if (command == QLatin1String("start")) {
        if (parser.isSet(until) ? words.size() != 1 : words.size() != 2)
            return fail(refused, QStringLiteral("start takes one duration (25m, 1:30:00 ...) or --until HH:MM"));
        return parser.isSet(until) ? start(QStringLiteral("StartUntil"), parser.value(until))
                                   : start(QStringLiteral("Start"), words.at(1));
    }
    if (words.size() > 1)
        return fail(refused, QStringLiteral("%1 takes no argument").arg(command));
    if (command == QLatin1String("status"))
        return status(parser.isSet(json), parser.isSet(follow));
    if (command == QLatin1String("toggle"))
        return toggle();
    static const QList<std::pair<QString, QString>> methods{{QStringLiteral("pause"), QStringLiteral("Pause")},
                                                            {QStringLiteral("resume"), QStringLiteral("Resume")},
                                                            {QStringLiteral("reset"), QStringLiteral("Reset")},
                                                            {QStringLiteral("stop"), QStringLiteral("StopRinging")}};
    for (const auto& [word, method] : methods)
        if (command == word)
            return call(method);
    return fail(refused, QStringLiteral("unknown command \"%1\"; see lumora --help").arg(command.left(40)));
}

int CommandLineClient::call(const QString& method, const QVariantList& arguments)
{
    if (!bus_.isConnected())
        return fail(notRunning, QStringLiteral("Lumora is not running (no session bus)."));
    QDBusMessage message = QDBusMessage::createMethodCall(service_, path_, kTimerInterface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    const QDBusMessage reply = callAndSettle(bus_, message);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return ok;
    if (isAbsent(reply))
        return fail(notRunning, QStringLiteral("Lumora is not running."));
    return fail(refused, reply.errorMessage());
}

bool CommandLineClient::isRunning() const
{
    return bus_.isConnected() && bus_.interface()->isServiceRegistered(service_).value();
}

bool CommandLineClient::launchInstance()
{
    // The new instance must not hold our output open: a caller reading it
    // would wait until Lumora quits.
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return false;
    const QDeadlineTimer deadline(kLaunchTimeoutMs);
    while (!deadline.hasExpired()) {
        if (isRunning())
            return true;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            return isRunning();
        QThread::msleep(50);
    }
    return false;
}

int CommandLineClient::start(const QString& method, const QString& argument)
{
    if (!bus_.isConnected())
        return fail(refused, QStringLiteral("cannot start Lumora: there is no session bus"));
    if (!isRunning() && !launchInstance())
        return fail(refused, QStringLiteral("Lumora could not be started (is there a graphical display?)"));
    return call(method, {argument});
}

std::optional<QVariantMap> CommandLineClient::readAll(QString* error)
{
    if (!bus_.isConnected())
        return std::nullopt;
    QDBusMessage message =
        QDBusMessage::createMethodCall(service_, path_, kPropertiesInterface, QStringLiteral("GetAll"));
    message << kTimerInterface;
    message.setAutoStartService(false);
    const QDBusMessage reply = callAndSettle(bus_, message);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        if (error && !isAbsent(reply))
            *error = reply.errorMessage();
        return std::nullopt;
    }
    return qdbus_cast<QVariantMap>(reply.arguments().at(0));
}

int CommandLineClient::toggle()
{
    QString error;
    const std::optional<QVariantMap> properties = readAll(&error);
    if (!properties)
        return error.isEmpty() ? fail(notRunning, QStringLiteral("Lumora is not running.")) : fail(refused, error);
    const QString state = properties->value(QStringLiteral("State")).toString();
    if (state == QLatin1String("running"))
        return call(QStringLiteral("Pause"));
    if (state == QLatin1String("paused"))
        return call(QStringLiteral("Resume"));
    return fail(refused, QStringLiteral("No countdown is running or paused."));
}

int CommandLineClient::status(bool json, bool follow)
{
    json_ = json;
    QDBusServiceWatcher gone(service_, bus_, QDBusServiceWatcher::WatchForUnregistration);
    if (follow) {
        // Subscribed before the first read, so no change falls between.
        bus_.connect(service_, path_, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                     SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
        connect(&gone, &QDBusServiceWatcher::serviceUnregistered, this, [] { QCoreApplication::quit(); });
    }
    QString error;
    const std::optional<QVariantMap> properties = readAll(&error);
    if (!properties)
        return error.isEmpty() ? fail(notRunning, QStringLiteral("Lumora is not running.")) : fail(refused, error);
    followed_ = *properties;
    print(followed_);
    if (!follow)
        return ok;
    QCoreApplication::exec();
    return ok;
}

void CommandLineClient::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                            const QStringList& invalidated)
{
    Q_UNUSED(invalidated);
    if (interface != kTimerInterface)
        return;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        followed_.insert(it.key(), it.value());
    print(followed_);
}

void CommandLineClient::print(const QVariantMap& properties)
{
    const QString line = json_ ? statusJson(properties) : statusLine(properties);
    if (line == lastLine_)
        return;
    lastLine_ = line;
    writeLine(stdout, line);
}

QString CommandLineClient::statusLine(const QVariantMap& properties)
{
    const QString state = properties.value(QStringLiteral("State")).toString();
    if (state == QLatin1String("ringing"))
        return state;
    return state + QLatin1Char(' ') + properties.value(QStringLiteral("Display")).toString();
}

QString CommandLineClient::statusJson(const QVariantMap& properties)
{
    const QString state = properties.value(QStringLiteral("State")).toString();
    // "text" and "class" are what status bars (waybar's custom modules) read.
    const QJsonObject object{{QStringLiteral("state"), state},
                             {QStringLiteral("remaining"), properties.value(QStringLiteral("RemainingSeconds")).toLongLong()},
                             {QStringLiteral("total"), properties.value(QStringLiteral("TotalSeconds")).toLongLong()},
                             {QStringLiteral("mode"), properties.value(QStringLiteral("Mode")).toString()},
                             {QStringLiteral("text"), statusLine(properties)},
                             {QStringLiteral("class"), state}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
