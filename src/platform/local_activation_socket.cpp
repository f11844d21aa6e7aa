#include "platform/local_activation_socket.h"

#include <QByteArray>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr char kActivateLine[] = "activate\n";
// Nothing but short request lines is expected from a peer.
constexpr qsizetype kMaxPending = 256;

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
    int fd;
    QSocketNotifier notifier;
    QByteArray pending;

    explicit Peer(int socket) : fd(socket), notifier(socket, QSocketNotifier::Read) {}
    ~Peer()
    {
        notifier.setEnabled(false);
        ::close(fd);
    }
};

LocalActivationSocket::LocalActivationSocket(QObject* parent) : QObject(parent) {}

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
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
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
    for (;;) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto peer = std::make_unique<Peer>(fd);
        connect(&peer->notifier, &QSocketNotifier::activated, this, [this, fd] { readPeer(fd); });
        peers_[fd] = std::move(peer);
    }
}

void LocalActivationSocket::readPeer(int fd)
{
    const auto it = peers_.find(fd);
    if (it == peers_.end())
        return;
    Peer& peer = *it->second;
    char buffer[kMaxPending];
    ssize_t got = 0;
    while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        peer.pending.append(buffer, qsizetype(got));
    const bool closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    bool asked = false;
    for (qsizetype end; (end = peer.pending.indexOf('\n')) >= 0;) {
        asked = asked || peer.pending.left(end + 1) == kActivateLine;
        peer.pending.remove(0, end + 1);
    }
    if (closed || peer.pending.size() > kMaxPending) {
        // Not from within its own notifier's signal.
        peer.notifier.setEnabled(false);
        QMetaObject::invokeMethod(this, [this, fd] { peers_.erase(fd); }, Qt::QueuedConnection);
    }
    if (asked)
        Q_EMIT activateRequested();
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
