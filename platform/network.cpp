#include "platform/network.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <linux/sockios.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
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
            reply.status =
                (errno == ENETUNREACH || errno == EHOSTUNREACH) ? kEchoDestinationUnreachable : kEchoGeneralFailure;
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

QByteArray systemHostByName(const QByteArray& name)
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

QByteArray LinuxResolver::hostByName(const QByteArray& name)
{
    return systemHostByName(name);
}

// What the lookup threads share with their owner, which may be gone before they end.
struct HostLookups::Shared {
    std::mutex mutex;
    QObject* context = nullptr; // null once the owner is gone: answers then go nowhere
    HostLookups* owner = nullptr;
    int running = 0;
    std::deque<std::pair<unsigned, QByteArray>> queued; // waiting for a thread
};

void HostLookups::work(std::shared_ptr<Shared> shared, std::function<QByteArray(const QByteArray&)> lookup, unsigned id,
                       QByteArray name)
{
    for (;;) {
        const QByteArray address = lookup(name);
        const std::lock_guard lock(shared->mutex);
        if (shared->context) {
            HostLookups* owner = shared->owner;
            QMetaObject::invokeMethod(
                shared->context, [owner, id, address] { owner->finished(id, address); }, Qt::QueuedConnection);
        }
        if (!shared->context || shared->queued.empty()) {
            --shared->running;
            return;
        }
        std::tie(id, name) = shared->queued.front();
        shared->queued.pop_front();
    }
}

HostLookups::HostLookups()
    : lookup(systemHostByName), shared_(std::make_shared<Shared>()), context_(std::make_unique<QObject>())
{
    shared_->context = context_.get();
    shared_->owner = this;
}

HostLookups::~HostLookups()
{
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->context = nullptr;
        shared_->owner = nullptr;
        shared_->queued.clear();
    }
    context_.reset(); // with the answers already on their way
}

unsigned HostLookups::start(const QByteArray& name, IResolver::Found found)
{
    const unsigned id = ++next_;
    // Neither needs the system's resolver, and addresses are most of what a distribution sends to.
    std::uint32_t address = 0;
    if (name.isEmpty() || name.contains('\0')) {
        found({});
        return id;
    }
    if (dottedToAddress(name, address)) {
        found(QByteArray(reinterpret_cast<const char*>(&address), 4));
        return id;
    }
    waiting_[id] = std::move(found);
    const std::lock_guard lock(shared_->mutex);
    if (shared_->running >= kMaxRunning) {
        shared_->queued.emplace_back(id, name);
        return id;
    }
    try {
        std::thread(work, shared_, lookup, id, name).detach();
        ++shared_->running;
    } catch (const std::system_error&) {
        // No thread to be had: the name does not resolve, as the system would say of it.
        QMetaObject::invokeMethod(
            context_.get(), [this, id] { finished(id, {}); }, Qt::QueuedConnection);
    }
    return id;
}

void HostLookups::abandon(unsigned id)
{
    waiting_.erase(id);
    const std::lock_guard lock(shared_->mutex);
    std::erase_if(shared_->queued, [id](const auto& queued) { return queued.first == id; });
}

int HostLookups::running() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->running;
}

void HostLookups::finished(unsigned id, const QByteArray& address)
{
    const auto it = waiting_.find(id);
    if (it == waiting_.end())
        return;
    const IResolver::Found found = std::move(it->second);
    waiting_.erase(it);
    found(address);
}

// ---------------------------------------------------------------------------------------------
// The TCP client

// The connections that Finish has ended, each on a descriptor of its own, until their clients
// close. Their clients have acknowledged every byte before they come here, so ending one early (the
// oldest, for room, or all at the program's end) costs its client nothing. They are looked at when
// the next one ends, and now and then while any is left: what their clients send meanwhile waits in
// the system, and a watch of its own for each would wake the event loop once more for every node.
class LinuxTcpClient::Lingering {
public:
    Lingering() : context_(std::make_unique<QObject>())
    {
        timer_ = new QTimer(context_.get());
        timer_->setInterval(kLookAgainMs);
        QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { reap(); });
    }
    ~Lingering()
    {
        for (const Connection& c : connections_)
            end(c.fd);
    }

    void add(int fd, int graceMs)
    {
        reap();
        if (connections_.size() >= static_cast<size_t>(kMaxLingering)) {
            end(connections_.front().fd);
            connections_.pop_front();
        }
        connections_.push_back({fd, Clock::now() + std::chrono::milliseconds(std::max(0, graceMs))});
        timer_->start();
    }
    int count() const { return static_cast<int>(connections_.size()); }

    // Reads and drops what the client has sent, so that a close then finds nothing unread and is an
    // orderly one; true once the client has closed (or the connection has failed).
    static bool drain(int fd)
    {
        char buffer[65536];
        for (int round = 0; round < 16; ++round) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0)
                return true;
            if (n < 0)
                return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
        }
        return false;
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kLookAgainMs = 50;
    struct Connection {
        int fd;
        Clock::time_point until;
    };

    // Closes the connections whose clients have closed, and those whose grace is over.
    void reap()
    {
        const auto now = Clock::now();
        std::erase_if(connections_, [now](const Connection& c) {
            if (!drain(c.fd) && c.until > now)
                return false;
            end(c.fd);
            return true;
        });
        if (connections_.empty())
            timer_->stop();
    }
    static void end(int fd)
    {
        drain(fd);
        ::close(fd);
    }

    std::unique_ptr<QObject> context_;
    QTimer* timer_ = nullptr;
    std::deque<Connection> connections_; // the oldest first
};

LinuxTcpClient::LinuxTcpClient(IResolver* names) : context_(std::make_unique<QObject>()), names_(names)
{
    // Each connection is moved onto one descriptor number, which between connections holds an
    // event counter that never becomes readable. The event loop's watch on that number is set up
    // once: switching a watch on and off for every node would wake the loop twice for nothing.
    idle_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (idle_ >= 0)
        fd_ = ::fcntl(idle_, F_DUPFD_CLOEXEC, 0);
    readNotifier_ = new QSocketNotifier(QSocketNotifier::Read, context_.get());
    writeNotifier_ = new QSocketNotifier(QSocketNotifier::Write, context_.get());
    readNotifier_->setSocket(fd_);
    writeNotifier_->setSocket(fd_);
    readNotifier_->setEnabled(fd_ >= 0);
    QObject::connect(readNotifier_, &QSocketNotifier::activated, context_.get(), [this] { readable(); });
    QObject::connect(writeNotifier_, &QSocketNotifier::activated, context_.get(), [this] { writable(); });
    ackSet_ = ::epoll_create1(EPOLL_CLOEXEC);
    ackNotifier_ = new QSocketNotifier(QSocketNotifier::Read, context_.get());
    ackNotifier_->setSocket(ackSet_);
    ackNotifier_->setEnabled(false);
    // Waking the event loop is all it is for: whoever waits looks at the socket again.
    QObject::connect(ackNotifier_, &QSocketNotifier::activated, context_.get(), [this] { takeAckEdges(); });
    connectTimer_ = new QTimer(context_.get());
    connectTimer_->setSingleShot(true);
    QObject::connect(connectTimer_, &QTimer::timeout, context_.get(), [this] {
        if (connecting()) {
            ++generation_;
            if (names_)
                names_->abandon(lookup_); // a lookup still running is no longer wanted
            closeSocket();
            setState(Error);
        }
    });
    lingering_ = std::make_unique<Lingering>();
}

LinuxTcpClient::~LinuxTcpClient()
{
    DataArrival = nullptr;
    SendComplete = nullptr;
    lingering_.reset();
    closeSocket();
    readNotifier_->setEnabled(false);
    ackNotifier_->setEnabled(false);
    if (fd_ >= 0)
        ::close(fd_);
    if (idle_ >= 0)
        ::close(idle_);
    if (ackSet_ >= 0)
        ::close(ackSet_);
}

bool LinuxTcpClient::connecting() const
{
    return state_ == ResolvingHost || state_ == HostResolved || state_ == Connecting;
}

void LinuxTcpClient::setState(int state)
{
    state_ = state;
    // One time-out covers the lookup and the connection together.
    if (!connecting())
        connectTimer_->stop();
}

void LinuxTcpClient::takeAckEdges()
{
    epoll_event events[1];
    while (::epoll_wait(ackSet_, events, 1, 0) > 0) {
    }
}

void LinuxTcpClient::watchAcknowledgement()
{
    if (ackSet_ < 0 || ackNotifier_->isEnabled())
        return;
    // Once the sending side has ended, the socket stays writable: the edge comes with every change
    // of its state, the acknowledged end among them, and the client's reset.
    epoll_event watch{};
    watch.events = EPOLLOUT | EPOLLET;
    if (::epoll_ctl(ackSet_, EPOLL_CTL_ADD, fd_, &watch) != 0)
        return; // the looks on the wait's own timer still find the acknowledgement
    // The first edge is the socket as it stands, which the waiting side looks at anyway.
    takeAckEdges();
    ackNotifier_->setEnabled(true);
}

void LinuxTcpClient::unwatchAcknowledgement()
{
    if (!ackNotifier_->isEnabled())
        return;
    // The set holds the socket itself, not the number: it must let go before the socket moves.
    ::epoll_ctl(ackSet_, EPOLL_CTL_DEL, fd_, nullptr);
    ackNotifier_->setEnabled(false);
    takeAckEdges();
}

void LinuxTcpClient::closeSocket(bool drain)
{
    unwatchAcknowledgement();
    writeNotifier_->setEnabled(false);
    unsent_.clear();
    endPending_ = false;
    ended_ = false;
    if (!open_)
        return;
    // Unread input left in the socket would turn the close into a reset, and a reset can cost the
    // client the last block it has not read yet.
    if (drain)
        Lingering::drain(fd_);
    // Putting the idle counter back on the number closes the socket.
    while (::dup3(idle_, fd_, O_CLOEXEC) < 0 && (errno == EINTR || errno == EBUSY)) {
    }
    open_ = false;
    // Off only while a client that had ended its side kept its connection (see readable()).
    readNotifier_->setEnabled(true);
}

void LinuxTcpClient::Close()
{
    ++generation_;
    if (names_)
        names_->abandon(lookup_);
    connectTimer_->stop();
    received_.clear();
    peerTookAll_ = false;
    closeSocket();
    setState(Closed);
}

void LinuxTcpClient::Connect(const QString& host, std::uint16_t port)
{
    Close();
    port_ = port;
    connectTimer_->start(connectTimeoutMs);
    std::uint32_t address = 0;
    if (dottedToAddress(host.toLatin1(), address)) {
        connectTo(address);
        return;
    }
    if (!names_) {
        setState(Error); // nobody to ask for the name
        return;
    }
    setState(ResolvingHost);
    const unsigned generation = generation_;
    lookup_ = names_->lookUp(host.toLatin1(), [this, generation](const QByteArray& found) {
        if (generation != generation_ || state_ != ResolvingHost)
            return;
        if (found.size() != 4) {
            setState(Error);
            return;
        }
        std::uint32_t address = 0;
        std::memcpy(&address, found.constData(), 4);
        setState(HostResolved);
        connectTo(address);
    });
}

void LinuxTcpClient::connectTo(std::uint32_t address)
{
    setState(Connecting);
    const int fd = fd_ >= 0 ? ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0) : -1;
    if (fd < 0) {
        fail(fd_ >= 0 ? errno : EMFILE);
        return;
    }
    const bool moved = ::dup3(fd, fd_, O_CLOEXEC) >= 0;
    const int error = errno;
    ::close(fd);
    if (!moved) {
        fail(error);
        return;
    }
    open_ = true;
    // The protocol's small messages follow each other unanswered (name, then size): held back until
    // the first is acknowledged, each node would wait out the client's delayed acknowledgement.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = address;
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
        connected();
        return;
    }
    if (errno != EINPROGRESS) {
        fail(errno);
        return;
    }
    // A client on the local network has usually answered by now: then no turn of the event loop
    // is needed to find the connection standing.
    pollfd ready{fd_, POLLOUT, 0};
    if (::poll(&ready, 1, 0) == 1) {
        writable();
        return;
    }
    writeNotifier_->setEnabled(true);
}

void LinuxTcpClient::connected()
{
    writeNotifier_->setEnabled(false);
    setState(Connected);
}

void LinuxTcpClient::fail(int error)
{
    closeSocket();
    // The client went away after the connection stood; a connection that never stood failed.
    const bool peerGone = state_ == Connected && (error == 0 || error == ECONNRESET || error == EPIPE);
    setState(peerGone ? Closing : Error);
}

void LinuxTcpClient::readable()
{
    if (!open_)
        return;
    if (state_ == Connecting) {
        // The client spoke (or went) before the connection was seen standing: it is looked at first.
        writable();
        if (state_ != Connected)
            return;
    }
    char buffer[16384];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
        received_.append(buffer, static_cast<qsizetype>(n));
        if (DataArrival)
            DataArrival(static_cast<int>(std::min<qsizetype>(received_.size(), INT32_MAX)));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n == 0 && state_ == Connected) {
        // The client has ended its side. Closed now, the connection would throw away what is still
        // on the way to it, and a client that only ended its sending side would never get the rest:
        // it stays open until the program closes it, without a watch, as it has nothing more to say.
        const qint64 unacknowledged = Unacknowledged();
        if (unacknowledged > 0) {
            readNotifier_->setEnabled(false);
            setState(Closing);
            return;
        }
        peerTookAll_ = unacknowledged == 0;
    }
    // Nothing more will come: what arrived before is still there to fetch.
    fail(n == 0 ? 0 : errno);
}

void LinuxTcpClient::writable()
{
    if (!open_)
        return;
    if (state_ == Connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        if (error == EINPROGRESS || error == EALREADY)
            return;
        if (error != 0)
            fail(error);
        else
            connected();
        return;
    }
    flush();
}

void LinuxTcpClient::flush()
{
    if (unsent_.isEmpty()) {
        writeNotifier_->setEnabled(false);
        if (endPending_)
            EndSending();
        return;
    }
    const ssize_t n =
        ::send(fd_, unsent_.constData(), static_cast<size_t>(unsent_.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        fail(errno);
        return;
    }
    if (n == unsent_.size())
        unsent_.clear();
    else if (n > 0)
        unsent_.remove(0, n);
    // What the system did not take yet goes when it has room again.
    writeNotifier_->setEnabled(!unsent_.isEmpty());
    if (unsent_.isEmpty() && endPending_)
        EndSending();
    if (unsent_.isEmpty() && SendComplete)
        SendComplete();
}

int LinuxTcpClient::State()
{
    return state_;
}

void LinuxTcpClient::SendData(const QByteArray& bytes)
{
    if (!open_ || state_ != Connected)
        return;
    if (bytes.isEmpty()) {
        // Nothing to hand over: the send is complete at once, but still as an event.
        QTimer::singleShot(0, context_.get(), [this, generation = generation_] {
            if (generation == generation_ && SendComplete)
                SendComplete();
        });
        return;
    }
    // Nothing queued ahead: the bytes go to the system at once. Otherwise they go when the system
    // has taken what is ahead of them.
    const bool idle = unsent_.isEmpty();
    unsent_ += bytes;
    if (idle)
        flush();
}

void LinuxTcpClient::EndSending()
{
    if (!open_ || ended_)
        return;
    if (!unsent_.isEmpty()) {
        endPending_ = true;
        return;
    }
    endPending_ = false;
    ended_ = true;
    ::shutdown(fd_, SHUT_WR);
    watchAcknowledgement();
}

qint64 LinuxTcpClient::Unacknowledged()
{
    if (!open_)
        return peerTookAll_ ? 0 : -1;
    if (state_ != Connected && state_ != Closing)
        return -1;
    int unacknowledged = 0;
    if (::ioctl(fd_, SIOCOUTQ, &unacknowledged) != 0)
        return -1;
    if (unacknowledged > 0 && state_ == Closing) {
        // Nobody watches a connection whose client has ended its side: a reset is found here.
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            closeSocket(false);
            return -1;
        }
    }
    return unacknowledged + unsent_.size();
}

QByteArray LinuxTcpClient::GetData()
{
    return std::exchange(received_, QByteArray());
}

void LinuxTcpClient::Finish(int graceMs)
{
    if (!open_ || state_ != Connected || !unsent_.isEmpty()) {
        Close();
        return;
    }
    // The end follows the last byte to the client (it may have gone already); the socket moves off
    // the shared number, so that the next connection can have it while this one waits for the
    // client to close.
    if (!ended_)
        ::shutdown(fd_, SHUT_WR);
    const int own = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (own >= 0) {
        lingering_->add(own, graceMs);
        closeSocket(false); // the number only: the connection stays open on its own descriptor
    }
    Close();
}

int LinuxTcpClient::lingering() const
{
    return lingering_->count();
}

} // namespace corvane
