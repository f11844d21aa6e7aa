#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>

class QSocketNotifier;

// The instance check's fallback without a session bus: the first process
// listens on a Unix socket in the runtime directory, and a later one writes
// "activate" to it. Plain sockets, so the check needs no network library.
class LocalActivationSocket final : public QObject {
    Q_OBJECT
public:
    explicit LocalActivationSocket(QObject* parent = nullptr);
    ~LocalActivationSocket() override;

    // Replaces whatever file is at `path` (a crashed instance's socket) and
    // listens there, for this user only. False, with `error` set, if it cannot.
    bool listen(const QString& path, QString& error);
    // Asks the process listening at `path` to show itself; false when none
    // takes the request within `timeoutMs`.
    static bool ask(const QString& path, int timeoutMs);

Q_SIGNALS:
    void activateRequested();

private:
    struct Peer;
    void acceptPeers();
    void readPeer(int fd);

    int listening_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<int, std::unique_ptr<Peer>> peers_;
};
