#include "platform/network.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace corvane {

// ---------------------------------------------------------------------------------------------
// Echo

namespace {

std::uint16_t icmpChecksum(const unsigned char* data, std::size_t length)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2)
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    if (length % 2)
        sum += static_cast<std::uint32_t>(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

class IcmpEchoHandle : public IEchoHandle {
public:
    IcmpEchoHandle(int fd, bool raw, std::uint16_t& sequence) : fd_(fd), raw_(raw), sequence_(sequence) {}
    ~IcmpEchoHandle() override { ::close(fd_); }

    void sendEcho(std::uint32_t address, const QByteArray& payload, EchoReply& reply, int timeoutMs) override
    {
        using Clock = std::chrono::steady_clock;
        reply.status = kEchoGeneralFailure;
        // The kernel puts its own identifier on a datagram socket's requests and hands back only
        // the answers to them; on a raw socket every echo of the host arrives and ours are told
        // apart by identifier, sequence and sender.
        const std::uint16_t sequence = ++sequence_;
        const std::uint16_t identifier = static_cast<std::uint16_t>(::getpid() ^ 0x5A5A);
        const QByteArray data = payload.left(250);

        unsigned char packet[8 + 250] = {};
        packet[0] = ICMP_ECHO;
        packet[4] = identifier >> 8;
        packet[5] = identifier & 0xFF;
        packet[6] = sequence >> 8;
        packet[7] = sequence & 0xFF;
        std::memcpy(packet + 8, data.constData(), static_cast<std::size_t>(data.size()));
        const std::size_t length = 8 + static_cast<std::size_t>(data.size());
        const std::uint16_t sum = icmpChecksum(packet, length);
        packet[2] = sum >> 8;
        packet[3] = sum & 0xFF;

        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = address;
        const auto started = Clock::now();
        if (::sendto(fd_, packet, length, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
            reply.status = (errno == ENETUNREACH || errno == EHOSTUNREACH) ? kEchoDestinationUnreachable
                                                                          : kEchoGeneralFailure;
            return;
        }
        const auto deadline = started + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            unsigned char in[1500];
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t got = ::recvfrom(fd_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (got <= 0)
                continue;
            std::size_t offset = 0;
            if (raw_) {
                offset = static_cast<std::size_t>(in[0] & 0x0F) * 4;
                if (from.sin_addr.s_addr != address)
                    continue;
            }
            if (static_cast<std::size_t>(got) < offset + 8)
                continue;
            const unsigned char* icmp = in + offset;
            if (icmp[0] != ICMP_ECHOREPLY)
                continue;
            if ((icmp[6] << 8 | icmp[7]) != sequence)
                continue;
            if (raw_ && (icmp[4] << 8 | icmp[5]) != identifier)
                continue;
            const std::size_t echoed = std::min<std::size_t>(static_cast<std::size_t>(got) - offset - 8, 250);
            reply.address = from.sin_addr.s_addr;
            reply.status = kEchoSuccess;
            reply.roundTripTime = static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count());
            reply.dataSize = static_cast<std::uint16_t>(echoed);
            std::memcpy(reply.dataArea, icmp + 8, echoed);
            return;
        }
        reply.status = kEchoTimedOut;
    }

private:
    int fd_;
    bool raw_;
    std::uint16_t& sequence_;
};

} // namespace

std::unique_ptr<IEchoHandle> LinuxPinger::createFile()
{
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0)
        return std::make_unique<IcmpEchoHandle>(fd, false, sequence_);
    fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0)
        return std::make_unique<IcmpEchoHandle>(fd, true, sequence_);
    return nullptr;
}

bool dottedToAddress(const QByteArray& text, std::uint32_t& address)
{
    if (text.contains('\0'))
        return false;
    in_addr parsed{};
    if (::inet_pton(AF_INET, text.constData(), &parsed) != 1)
        return false;
    if (parsed.s_addr == INADDR_NONE)
        return false;
    address = parsed.s_addr;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Names

QByteArray LinuxResolver::hostByName(const QByteArray& name)
{
    // A name is looked up as data: nothing in it reaches anything but the resolver.
    if (name.isEmpty() || name.contains('\0'))
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return {};
    QByteArray bytes;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            bytes = QByteArray(reinterpret_cast<const char*>(&in->sin_addr.s_addr), 4);
            break;
        }
    }
    ::freeaddrinfo(found);
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// The TCP client

QtTcpClient::QtTcpClient() : connectTimer_(std::make_unique<QTimer>())
{
    connectTimer_->setSingleShot(true);
    QObject::connect(connectTimer_.get(), &QTimer::timeout, [this] {
        if (socket_ && state_ != Connected) {
            socket_->abort();
            setState(Error);
        }
    });
}

QtTcpClient::~QtTcpClient()
{
    DataArrival = nullptr;
    SendComplete = nullptr;
    StateChanged = nullptr;
    if (socket_) {
        socket_->disconnect();
        socket_->abort();
    }
}

void QtTcpClient::setState(int state)
{
    if (state == state_)
        return;
    state_ = state;
    if (state != ResolvingHost && state != Connecting)
        connectTimer_->stop();
    if (StateChanged)
        StateChanged();
}

void QtTcpClient::Close()
{
    connectTimer_->stop();
    leftover_.clear();
    if (socket_) {
        // The old socket may be the one whose event is running right now, so it goes later.
        QTcpSocket* old = socket_.release();
        old->disconnect();
        if (old->state() == QAbstractSocket::ConnectedState && old->bytesToWrite() == 0)
            old->disconnectFromHost(); // what was handed over still reaches the peer
        else
            old->abort();
        old->deleteLater();
    }
    setState(Closed);
}

void QtTcpClient::wire()
{
    QTcpSocket* s = socket_.get();
    QObject::connect(s, &QAbstractSocket::stateChanged, s, [this, s](QAbstractSocket::SocketState st) {
        if (s != socket_.get())
            return;
        switch (st) {
        case QAbstractSocket::HostLookupState: setState(ResolvingHost); break;
        case QAbstractSocket::ConnectingState: setState(Connecting); break;
        case QAbstractSocket::ConnectedState:
            // The protocol's small messages follow each other unanswered (name, then size): held
            // back until the first is acknowledged, each node would wait out the peer's delayed
            // acknowledgement.
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            setState(Connected);
            break;
        case QAbstractSocket::UnconnectedState:
            // The peer went away after the connection stood; a connection that never stood failed.
            if (state_ == Connected || state_ == Closing)
                setState(Closing);
            else if (state_ != Error)
                setState(Error);
            break;
        default: break;
        }
    });
    QObject::connect(s, &QAbstractSocket::errorOccurred, s, [this, s](QAbstractSocket::SocketError error) {
        if (s != socket_.get())
            return;
        if (state_ == Connected) {
            drain(s);
            if (s != socket_.get())
                return;
        }
        if (state_ == Connected || state_ == Closing)
            setState(error == QAbstractSocket::RemoteHostClosedError ? Closing : Error);
        else
            setState(Error);
    });
    QObject::connect(s, &QIODevice::readyRead, s, [this, s] {
        if (s != socket_.get())
            return;
        const auto available = s->bytesAvailable();
        if (available > 0 && DataArrival)
            DataArrival(static_cast<int>(std::min<qint64>(available, INT32_MAX)));
    });
    QObject::connect(s, &QIODevice::bytesWritten, s, [this, s](qint64) {
        if (s != socket_.get())
            return;
        if (s->bytesToWrite() == 0 && SendComplete)
            SendComplete();
    });
}

void QtTcpClient::drain(QTcpSocket* s)
{
    // What the peer sent before it went away is still its say: a reset connection would otherwise
    // drop the last reply unread. Bounded, so a peer cannot hold the program here.
    QByteArray tail = s->readAll();
    const qintptr fd = s->socketDescriptor();
    if (fd >= 0) {
        char buffer[4096];
        for (int round = 0; round < 64; ++round) {
            const ssize_t n = ::recv(static_cast<int>(fd), buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0)
                break;
            tail.append(buffer, static_cast<qsizetype>(n));
        }
    }
    if (tail.isEmpty())
        return;
    leftover_ += tail;
    if (DataArrival)
        DataArrival(static_cast<int>(leftover_.size()));
}

void QtTcpClient::Connect(const QString& host, std::uint16_t port)
{
    Close();
    socket_ = std::make_unique<QTcpSocket>();
    // The clients are on the local network: no proxy ever stands between.
    socket_->setProxy(QNetworkProxy::NoProxy);
    wire();
    setState(ResolvingHost);
    connectTimer_->start(connectTimeoutMs);
    socket_->connectToHost(host, port);
}

int QtTcpClient::State() { return state_; }

void QtTcpClient::SendData(const QByteArray& bytes)
{
    if (!socket_ || state_ != Connected)
        return;
    if (bytes.isEmpty()) {
        // Nothing to hand over: the send is complete at once, but still as an event.
        QTcpSocket* s = socket_.get();
        QTimer::singleShot(0, s, [this, s] {
            if (s == socket_.get() && SendComplete)
                SendComplete();
        });
        return;
    }
    QTcpSocket* s = socket_.get();
    qsizetype handed = 0;
    const qintptr fd = s->socketDescriptor();
    if (s->bytesToWrite() == 0 && fd >= 0) {
        // Nothing queued ahead: the bytes go straight to the system. Passing them through the
        // socket's own buffer would switch its write watch on and off again for every message, and
        // each switch wakes the event loop for nothing.
        const ssize_t n = ::send(static_cast<int>(fd), bytes.constData(), static_cast<size_t>(bytes.size()),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0)
            handed = n;
    }
    if (handed == bytes.size()) {
        if (SendComplete)
            SendComplete();
        return;
    }
    // The rest (or, on any error, all of it: the socket then reports the failure its usual way).
    s->write(handed > 0 ? bytes.mid(handed) : bytes);
    // Hand the bytes to the system now rather than on the next turn of the event loop; when it
    // takes them all, SendComplete comes from inside this call.
    s->flush();
}

QByteArray QtTcpClient::GetData()
{
    QByteArray data = std::exchange(leftover_, QByteArray());
    if (socket_)
        data += socket_->readAll();
    return data;
}

} // namespace corvane
