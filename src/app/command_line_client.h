#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

class QDBusMessage;

// `lumora start 25m`, `lumora status --json` and the rest: a thin client of
// the running instance's org.lumora.Lumora.Timer on the session bus. Exit
// status 0 on success, 1 when refused (one line on standard error), 3 when no
// instance runs and the command needs one that it does not start itself.
class CommandLineClient final : public QObject {
    Q_OBJECT
public:
    enum Status { ok = 0, refused = 1, notRunning = 3 };

    // Whether these arguments ask for the command line rather than the
    // window (a command word, or one of the command line's own options).
    static bool wanted(const QStringList& arguments);

    CommandLineClient();
    // Runs under a QCoreApplication; the arguments include the program.
    int run(const QStringList& arguments);

    // The one-line and the JSON form of the read-outs, as `status` prints them.
    static QString statusLine(const QVariantMap& properties);
    static QString statusJson(const QVariantMap& properties);

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    int call(const QString& method, const QVariantList& arguments = {});
    int start(const QString& method, const QString& argument);
    int toggle();
    int status(bool json, bool follow);
    std::optional<QVariantMap> readAll(QString* error = nullptr);
    bool isRunning() const;
    bool launchInstance();
    void print(const QVariantMap& properties);
    int fail(int status, const QString& message) const;

    QDBusConnection bus_;
    QString service_;
    QString path_;
    QVariantMap followed_;
    QString lastLine_;
    bool json_ = false;
};
