#pragma once
// The network facilities a delivery uses: the echo (reachability), name resolution with the socket
// library's start and stop, and the TCP client socket that talks to the Nuvo client.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;
class QObject;

namespace corvane {

// The echo-reply record: the 28-byte header the echo call fills, then a 250-byte data area.
#pragma pack(push, 1)
struct EchoReply {
    std::uint32_t address = 0; // the replying address, network order
    std::uint32_t status = 0;
    std::uint32_t roundTripTime = 0;
    std::uint16_t dataSize = 0;
    std::uint16_t reserved = 0;
    std::uint32_t data = 0;
    std::uint8_t options[8] = {};
    std::uint8_t dataArea[250] = {};
};
#pragma pack(pop)
static_assert(sizeof(EchoReply) == 278);

// Status values of an echo, as the echo service numbers them.
inline constexpr std::uint32_t kEchoSuccess = 0;
inline constexpr std::uint32_t kEchoDestinationUnreachable = 11003;
inline constexpr std::uint32_t kEchoTimedOut = 11010;
inline constexpr std::uint32_t kEchoGeneralFailure = 11050;

// One open echo facility; closing it is destroying it.
class IEchoHandle {
public:
    virtual ~IEchoHandle() = default;
    // Sends one echo request carrying the payload to the address (network order) and fills the
    // reply record; its status field is kEchoSuccess only when the answer came within the time.
    virtual void sendEcho(std::uint32_t address, const QByteArray& payload, EchoReply& reply, int timeoutMs) = 0;
};

class IPinger {
public:
    virtual ~IPinger() = default;
    // Opens the echo facility; nothing when none can be opened.
    virtual std::unique_ptr<IEchoHandle> createFile() = 0;
};

// ICMP echo through an ICMP datagram socket, else a raw socket. The wait for the answer blocks in
// poll() for at most the time-out.
class LinuxPinger : public IPinger {
public:
    std::unique_ptr<IEchoHandle> createFile() override;

private:
    std::uint16_t sequence_ = 0; // numbers this program's requests; a handle must not outlive it
};

// The socket library and its host lookup.
class IResolver {
public:
    using Found = std::function<void(const QByteArray& address)>;

    virtual ~IResolver() = default;
    // 0 when the library is ready for the requested version.
    virtual int startup(std::uint16_t version) = 0;
    // 0 when the library stopped cleanly.
    virtual int cleanup() = 0;
    // The first IPv4 address of the name, 4 bytes in network order; empty when there is none.
    // Holds the caller for as long as the system's resolver takes.
    virtual QByteArray hostByName(const QByteArray& name) = 0;
    // Starts looking the name up without holding the caller: `found` runs with what hostByName
    // would give, from the event loop or before lookUp returns. The number names the lookup for
    // abandon(). This one looks up at once.
    virtual unsigned lookUp(const QByteArray& name, Found found)
    {
        found(hostByName(name));
        return 0;
    }
    // The caller no longer waits for that lookup: its `found` never runs.
    virtual void abandon(unsigned) {}
};

// Names looked up on threads of their own, so that the event loop never waits on the system's
// resolver. The system cannot be told to stop a lookup: one that nobody waits for any more runs on
// to its own end, and only kMaxRunning run at once, so that names that never answer cannot pile up
// threads without bound. A name beyond that waits for a thread, within its caller's own time-out.
class HostLookups {
public:
    static constexpr int kMaxRunning = 8;

    HostLookups();
    ~HostLookups();
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;

    // `found` runs from the event loop with the first IPv4 address, or empty; for a dotted address
    // or an empty name it runs before start returns.
    unsigned start(const QByteArray& name, IResolver::Found found);
    void abandon(unsigned id);
    // Lookups that still hold a thread, waited for or not.
    int running() const;

    // The blocking lookup each thread makes; a test may put a slower one in its place.
    std::function<QByteArray(const QByteArray&)> lookup;

private:
    struct Shared;
    // One thread: the name, then each name that queued meanwhile.
    static void work(std::shared_ptr<Shared> shared, std::function<QByteArray(const QByteArray&)> lookup, unsigned id,
                     QByteArray name);
    void finished(unsigned id, const QByteArray& address);

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QObject> context_; // receives the answers; gone with this object, and they with it
    std::map<unsigned, IResolver::Found> waiting_;
    unsigned next_ = 0;
};

// getaddrinfo, IPv4 only, on the lookup threads. The system's resolver needs no start or stop.
class LinuxResolver : public IResolver {
public:
    int startup(std::uint16_t) override { return 0; }
    int cleanup() override { return 0; }
    QByteArray hostByName(const QByteArray& name) override;
    unsigned lookUp(const QByteArray& name, Found found) override { return lookups.start(name, std::move(found)); }
    void abandon(unsigned id) override { lookups.abandon(id); }

    HostLookups lookups;
};

// The first IPv4 address of the name through the system's resolver (getaddrinfo), blocking.
QByteArray systemHostByName(const QByteArray& name);

// The dotted-decimal address as a 32-bit value in network order; false for any other text, and
// for 255.255.255.255, which the address parser cannot tell from its own "no address".
bool dottedToAddress(const QByteArray& text, std::uint32_t& address);

// The TCP client socket of the client transfer. States are numbered as the socket control numbers
// them; a delivery needs only 7 (connected) and 9 (failed), the others are waited through.
class ITcpClient {
public:
    enum : int {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8, // the peer closed the connection
        Error = 9,
    };

    virtual ~ITcpClient() = default;
    // Ends any connection; allowed in any state. Unsent and unread data are dropped.
    virtual void Close() = 0;
    // Starts a connection to a host name or dotted address without waiting for it; State() tells
    // when it stands or has failed, which may already be so when Connect returns.
    virtual void Connect(const QString& host, std::uint16_t port) = 0;
    virtual int State() = 0;
    // Queues the bytes; SendComplete follows once every queued byte has been handed to the network
    // (which may be before SendData returns).
    virtual void SendData(const QByteArray& bytes) = 0;
    // Ends the sending side once every queued byte has been handed to the network: the client reads
    // every byte and then the end. What the client sends is still received. The event loop wakes
    // when the client's system acknowledges the end (for a socket that can tell).
    virtual void EndSending() = 0;
    // How many of the bytes sent the client's system has not acknowledged yet: those still queued
    // here, those on the way, and the end once EndSending has sent it. 0 also for a connection
    // that the client closed after it had acknowledged everything; -1 when there is no connection
    // (never made, closed by the program, or lost).
    virtual qint64 Unacknowledged() = 0;
    // Leaves a connection whose client has acknowledged everything to end in order: the sending
    // side ends; what the client still sends is read and dropped until it closes too, or until
    // graceMs have passed, and only then is the connection closed, so that the end never becomes a
    // reset. That runs on by itself: the socket is Closed at once and ready for the next connection.
    virtual void Finish(int graceMs) = 0;
    // Everything received and not yet fetched.
    virtual QByteArray GetData() = 0;

    // Events, run from the event loop.
    std::function<void(int bytesTotal)> DataArrival;
    std::function<void()> SendComplete;
};

// A non-blocking TCP socket on the event loop. A connection that stands at once is connected
// without a turn of the event loop; one that is neither accepted nor refused within the connect
// time-out is reported as failed (state 9), so that no delivery waits on the system's own, much
// longer, limit; the time-out counts from Connect, through the name's lookup. A host name is looked
// up through the resolver's own lookups, without blocking the window; without a resolver only
// dotted addresses connect. The resolver must outlive the socket.
// A client that ends its side while bytes of ours are still on the way keeps its connection until
// the program closes it: the state is Closing, and what was sent still reaches the client.
class LinuxTcpClient : public ITcpClient {
public:
    explicit LinuxTcpClient(IResolver* names = nullptr);
    ~LinuxTcpClient() override;
    void Close() override;
    void Connect(const QString& host, std::uint16_t port) override;
    int State() override;
    void SendData(const QByteArray& bytes) override;
    void EndSending() override;
    qint64 Unacknowledged() override;
    QByteArray GetData() override;
    void Finish(int graceMs) override;

    // Connections that Finish has ended and whose clients have not closed yet.
    int lingering() const;

    int connectTimeoutMs = 20000;
    // The most connections that may linger at once; one more ends the oldest of them. Only
    // connections whose clients have acknowledged every byte linger, so that costs nobody data.
    static constexpr int kMaxLingering = 64;

private:
    void setState(int state);
    bool connecting() const; // looking the host up or waiting for the connection
    void connectTo(std::uint32_t address);
    void connected();
    void readable();
    void writable();
    // Hands what is queued to the system; SendComplete once all of it is taken.
    void flush();
    void fail(int error);
    void closeSocket(bool drain = true);
    // The system wakes nobody when data is acknowledged, but it does when the end is: the socket's
    // state changes. A watch of that change, through an edge-triggered epoll set, wakes the event
    // loop the moment the client's system has acknowledged everything.
    void watchAcknowledgement();
    void unwatchAcknowledgement();
    // Takes what the epoll set has to report, so that it wakes the event loop again only at the next edge.
    void takeAckEdges();

    class Lingering;

    int fd_ = -1;   // the connection's descriptor number, the same for every connection
    int idle_ = -1; // what that number holds while there is no connection
    bool open_ = false;
    std::uint16_t port_ = 0;
    int state_ = Closed;
    unsigned generation_ = 0;          // tells a late name lookup from the current connection's
    std::unique_ptr<QObject> context_; // owns the notifiers, the timers and the lookups' answers
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* connectTimer_ = nullptr;
    int ackSet_ = -1;                        // the epoll set that watches the ended connection's state
    QSocketNotifier* ackNotifier_ = nullptr; // on while the set watches the connection
    QByteArray received_;                    // received and not yet fetched
    QByteArray unsent_;                      // queued and not yet taken by the system
    bool endPending_ = false;                // EndSending waits for the queue to go out
    bool ended_ = false;                     // the sending side has ended
    // The client closed after acknowledging every byte: the socket is closed, nothing is missing.
    bool peerTookAll_ = false;
    IResolver* names_ = nullptr;
    unsigned lookup_ = 0; // the current connection's name lookup
    std::unique_ptr<Lingering> lingering_;
};

} // namespace corvane
