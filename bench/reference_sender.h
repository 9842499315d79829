#pragma once
// The yardstick of the benchmarks: a plain blocking sender of the Nuvo client protocol, doing the same
// steps as the program's delivery (resolve, echo, connect, request, offer, blocks, and the wait for the
// client's acknowledgement of them) without an event loop.
#include "engine/netsend.h"
#include "platform/network.h"

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::bench {

// The address of the benchmarks' client number i: 127.0.x.y, 250 clients to each x.
inline QString peerAddress(int i)
{
    return QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250);
}

inline bool sendAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// One reply: whatever one read brings, as the client sends each reply whole.
inline QByteArray readReply(int fd)
{
    char buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    return n > 0 ? QByteArray(buffer, static_cast<qsizetype>(n)) : QByteArray();
}

// Whether a node counts once its blocks are handed to this computer's network, or, as the program
// counts it, once the client's system has acknowledged them. The client's system may hold its
// acknowledgement back until the client has read (delayed acknowledgement), so the second costs about
// one more turn of the client's.
enum class Counted { Handed, Acknowledged };

// The same steps as the program's delivery, blocking: resolve, echo, connect, request, offer, blocks.
inline bool referenceDeliver(const QString& host, quint16 port, const QByteArray& file, IPinger& pinger,
                             Counted counted = Counted::Acknowledged)
{
    const QByteArray address = LinuxResolver().hostByName(host.toLatin1());
    if (address.size() != 4)
        return false;
    std::uint32_t a = 0;
    std::memcpy(&a, address.constData(), 4);
    if (auto echo = pinger.createFile()) {
        EchoReply reply{};
        echo->sendEcho(a, NetSend::EchoPayload, reply, 500);
        if (reply.status != 0)
            return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one); // as the program's socket does
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = a;
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 && sendAll(fd, "Request#:PACKET") &&
              readReply(fd).toLower().startsWith("received:packet:") && sendAll(fd, "File~~~#:name~#:socket.txt") &&
              sendAll(fd, "File~~~#:size~#:" + QByteArray::number(file.size())) &&
              readReply(fd).toLower().startsWith("received:pend~#:");
    for (qsizetype sent = 0; ok && sent < file.size(); sent += 2048)
        ok = sendAll(fd, file.mid(sent, 2048));
    if (ok && counted == Counted::Acknowledged) {
        // A close that lingers waits until the client's system has acknowledged every byte and the
        // end after them. Unread input would turn it into a reset at once: it is read first.
        char rest[512];
        while (::recv(fd, rest, sizeof rest, MSG_DONTWAIT) > 0) {
        }
        const linger wait{1, 25};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &wait, sizeof wait);
        ::shutdown(fd, SHUT_WR);
    }
    ::close(fd);
    return ok;
}

} // namespace corvane::bench
