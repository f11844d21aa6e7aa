#include "platform/local_activation_socket.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcActivation, "lumora.instance", QtInfoMsg)

constexpr char kActivateLine[] = "activate\n";
// Nothing but one short request line is expected from a peer.
constexpr qsizetype kMaxPending = 256;
// How long accepting pauses when the process has no descriptor to spare.
constexpr int kResumeMs = 500;

bool toAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray native = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || size_t(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    return true;
}
}  // namespace

struct LocalActivationSocket::Peer {
    quint64 serial;
    int fd;
    QSocketNotifier notifier;
    QByteArray pending;
    QDeadlineTimer deadline{peerTimeoutMs};
    bool done = false;

    Peer(quint64 number, int socket) : serial(number), fd(socket), notifier(socket, QSocketNotifier::Read) {}
    ~Peer()
    {
        notifier.setEnabled(false);
        ::close(fd);
    }
};

LocalActivationSocket::LocalActivationSocket(QObject* parent) : QObject(parent)
{
    sweep_.setInterval(peerTimeoutMs / 2);
    connect(&sweep_, &QTimer::timeout, this, &LocalActivationSocket::dropStalePeers);
    resume_.setSingleShot(true);
    resume_.setInterval(kResumeMs);
    connect(&resume_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true);
    });
}

LocalActivationSocket::~LocalActivationSocket()
{
    peers_.clear();
    notifier_.reset();
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(QFile::encodeName(path_).constData());
    }
}

bool LocalActivationSocket::listen(const QString& path, QString& error)
{
    sockaddr_un address;
    if (!toAddress(path, address)) {
        error = QStringLiteral("the path is too long for a socket");
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::unlink(address.sun_path);
    // Only this user may ask (the runtime directory is usually private too).
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, maxPeers) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    listening_ = fd;
    path_ = path;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &LocalActivationSocket::acceptPeers);
    return true;
}

void LocalActivationSocket::acceptPeers()
{
    // A bounded batch per wake-up: a flood of connections cannot hold the
    // event loop (and with it SIGTERM and the settings) here.
    for (int batch = 0; batch < 2 * maxPeers; ++batch) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The waiting connections keep the socket readable: pause,
                // or this would spin.
                notifier_->setEnabled(false);
                resume_.start();
                if (!reportedExhaustion_)
                    qCWarning(lcActivation) << "out of file descriptors; requests to show the window wait";
                reportedExhaustion_ = true;
            }
            return;
        }
        if (int(peers_.size()) >= maxPeers) {
            // The oldest has had the longest to speak: heard a last time, it goes.
            if (!peers_.front()->done)
                readPeer(*peers_.front());
            peers_.erase(peers_.begin());
        }
        const quint64 serial = nextSerial_++;
        peers_.push_back(std::make_unique<Peer>(serial, fd));
        Peer& peer = *peers_.back();
        connect(&peer.notifier, &QSocketNotifier::activated, this, [this, serial] {
            const auto it = std::find_if(peers_.begin(), peers_.end(),
                                         [serial](const auto& p) { return p->serial == serial; });
            if (it != peers_.end() && readPeer(**it))
                dropLater(serial);  // not from within its own notifier's signal
        });
        // A real request is usually there by now.
        if (readPeer(peer))
            drop(serial);
        if (!peers_.empty() && !sweep_.isActive())
            sweep_.start();
    }
}

bool LocalActivationSocket::readPeer(Peer& peer)
{
    char buffer[kMaxPending];
    ssize_t got = 0;
    while (peer.pending.size() <= kMaxPending && (got = ::recv(peer.fd, buffer, sizeof buffer, 0)) > 0)
        peer.pending.append(buffer, qsizetype(got));
    const bool closed = got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    // One request per connection, on its first line.
    const qsizetype end = peer.pending.indexOf('\n');
    const bool asked = end >= 0 && peer.pending.left(end + 1) == kActivateLine;
    peer.done = end >= 0 || closed || peer.pending.size() > kMaxPending;
    if (peer.done)
        peer.notifier.setEnabled(false);
    if (asked)
        Q_EMIT activateRequested();
    return peer.done;
}

void LocalActivationSocket::dropLater(quint64 serial)
{
    QMetaObject::invokeMethod(this, [this, serial] { drop(serial); }, Qt::QueuedConnection);
}

void LocalActivationSocket::drop(quint64 serial)
{
    std::erase_if(peers_, [serial](const auto& p) { return p->serial == serial; });
    if (peers_.empty())
        sweep_.stop();
}

void LocalActivationSocket::dropStalePeers()
{
    std::erase_if(peers_, [](const auto& p) { return p->deadline.hasExpired(); });
    if (peers_.empty())
        sweep_.stop();
}

bool LocalActivationSocket::ask(const QString& path, int timeoutMs)
{
    sockaddr_un address;
    if (!toAddress(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Bounds both the connect (a full backlog) and the write.
    const timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    const qsizetype length = qsizetype(sizeof kActivateLine) - 1;
    const bool sent = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                      && ::send(fd, kActivateLine, size_t(length), MSG_NOSIGNAL) == length;
    ::close(fd);
    return sent;
}
