#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class QSocketNotifier;

// The instance check's fallback without a session bus: the first process
// listens on a Unix socket in the runtime directory, and a later one writes
// "activate" to it. Plain sockets, so the check needs no network library.
// Any local process may connect, so peers are few and short-lived: at most
// maxPeers at once (a new one pushes out the oldest), each dropped after one
// line or peerTimeoutMs, and a process out of descriptors stops accepting
// for a moment rather than spinning.
class LocalActivationSocket final : public QObject {
    Q_OBJECT
public:
    static constexpr int maxPeers = 8;
    static constexpr int peerTimeoutMs = 2000;

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
    // Reads what the peer sent; true once it is done with (answered or broken).
    bool readPeer(Peer& peer);
    void dropLater(quint64 serial);
    void drop(quint64 serial);
    void dropStalePeers();

    int listening_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<std::unique_ptr<Peer>> peers_;  // oldest first
    quint64 nextSerial_ = 0;
    QTimer sweep_;    // runs while there are peers
    QTimer resume_;   // listening again after running out of descriptors
    bool reportedExhaustion_ = false;
};
