#include "tests/support/fakenuvo.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::test {

struct FakeNuvo::Link {
    QTcpSocket* socket = nullptr;
    int index = 0; // into sessions_
    Script script;
    int stage = 0; // 0 request, 1 offer, 2 file, 3 done
    bool closing = false;
    qint64 blocksAnswered = 0;
};

FakeNuvo::FakeNuvo(const QString& address, quint16 port, int receiveBuffer)
    : address_(address), server_(std::make_unique<QTcpServer>())
{
    if (port != 0) {
        listenOn(port, receiveBuffer);
    } else {
        for (int attempt = 0; attempt < 200 && !server_->isListening(); ++attempt)
            listenOn(static_cast<quint16>(20000 + QRandomGenerator::global()->bounded(12000)), receiveBuffer);
    }
    port_ = server_->serverPort();
    connect(server_.get(), &QTcpServer::newConnection, this, &FakeNuvo::accept);
}

FakeNuvo::~FakeNuvo()
{
    for (auto& link : links_) {
        if (link->socket) {
            link->socket->disconnect(this);
            link->socket->abort();
        }
    }
}

bool FakeNuvo::listening() const
{
    return server_->isListening();
}

bool FakeNuvo::listenOn(quint16 port, int receiveBuffer)
{
    if (receiveBuffer <= 0)
        return server_->listen(address_, port);
    // The server's own listen sets no buffer: the socket is made here and handed to it.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(address_.toIPv4Address());
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || ::listen(fd, 50) != 0 ||
        !server_->setSocketDescriptor(fd)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    return true;
}

qint64 FakeNuvo::taken(int session) const
{
    for (const auto& link : links_) {
        if (link->index != session)
            continue;
        int waiting = 0;
        if (link->socket->state() == QAbstractSocket::ConnectedState)
            ::ioctl(static_cast<int>(link->socket->socketDescriptor()), FIONREAD, &waiting);
        return sessions_.at(session).received.size() + link->socket->bytesAvailable() + waiting;
    }
    return 0;
}

void FakeNuvo::accept()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto link = std::make_unique<Link>();
        link->socket = socket;
        link->index = static_cast<int>(sessions_.size());
        link->script = scripts_.at(std::min<qsizetype>(link->index, scripts_.size() - 1));
        sessions_.push_back({});
        Link* l = link.get();
        links_.push_back(std::move(link));
        if (l->script.readBytes > 0) {
            // What the socket does not take yet stays with the system, and the sender waits.
            socket->setReadBufferSize(l->script.readBytes);
            auto* pace = new QTimer(socket);
            connect(pace, &QTimer::timeout, this, [this, l] { onData(*l); });
            pace->start(2);
        } else {
            connect(socket, &QTcpSocket::readyRead, this, [this, l] { onData(*l); });
        }
        connect(socket, &QTcpSocket::disconnected, this, [this, l] {
            if (!l->closing)
                sessions_[l->index].closedByProgram = true;
        });
        if (!l->script.onConnect.isEmpty())
            send(*l, l->script.onConnect, false);
    }
}

void FakeNuvo::send(Link& link, const QByteArray& bytes, bool thenClose)
{
    QTcpSocket* socket = link.socket;
    Link* l = &link;
    const auto write = [this, socket, l, bytes, thenClose] {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return;
        const int cut = l->script.splitAt;
        if (cut > 0 && cut < bytes.size()) {
            socket->write(bytes.left(cut));
            socket->flush();
            QTimer::singleShot(l->script.splitPauseMs, socket, [this, socket, l, rest = bytes.mid(cut), thenClose] {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                socket->write(rest);
                socket->flush();
                if (thenClose)
                    closeLink(*l);
            });
            return;
        }
        if (!bytes.isEmpty()) {
            socket->write(bytes);
            socket->flush();
        }
        if (thenClose)
            closeLink(*l);
    };
    if (link.script.replyDelayMs > 0)
        QTimer::singleShot(link.script.replyDelayMs, socket, write);
    else
        write();
}

void FakeNuvo::closeLink(Link& link)
{
    if (link.closing)
        return;
    link.closing = true;
    sessions_[link.index].closedByPeer = true;
    if (!link.script.beforeClose.isEmpty())
        link.socket->write(link.script.beforeClose);
    link.socket->flush();
    if (link.script.reset) {
        const linger now{1, 0};
        ::setsockopt(static_cast<int>(link.socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
        link.socket->abort();
        return;
    }
    // The peer's side ends here; what still arrives is read and dropped, so the connection ends
    // with an orderly close and the last words sent are not lost to a reset.
    ::shutdown(static_cast<int>(link.socket->socketDescriptor()), SHUT_WR);
}

void FakeNuvo::onData(Link& link)
{
    Session& session = sessions_[link.index];
    const QByteArray bytes =
        link.script.readBytes > 0 ? link.socket->read(link.script.readBytes) : link.socket->readAll();
    if (link.closing || bytes.isEmpty())
        return;
    session.received += bytes;
    const QByteArray& all = session.received;

    if (link.stage == 0) {
        if (all.size() < 15)
            return;
        session.request = all.left(15);
        link.stage = 1;
        if (link.script.requestReply)
            send(link, *link.script.requestReply, link.script.closeAfterRequestReply);
        else if (link.script.closeAfterRequestReply)
            closeLink(link);
    }
    if (link.stage == 1) {
        static const QByteArray nameMark = "File~~~#:name~#:";
        static const QByteArray sizeMark = "File~~~#:size~#:";
        const qsizetype name = all.indexOf(nameMark, 15);
        const qsizetype size = name < 0 ? -1 : all.indexOf(sizeMark, name);
        if (size < 0)
            return;
        qsizetype end = size + sizeMark.size();
        while (end < all.size() && all.at(end) >= '0' && all.at(end) <= '9')
            ++end;
        if (end == size + sizeMark.size())
            return;
        session.name = all.mid(name + nameMark.size(), size - name - nameMark.size());
        session.size = all.mid(size + sizeMark.size(), end - size - sizeMark.size()).toLongLong();
        session.file = all.mid(end);
        link.stage = 2;
        if (link.script.offerReply)
            send(link, *link.script.offerReply, link.script.closeAfterOfferReply);
        else if (link.script.closeAfterOfferReply)
            closeLink(link);
        if (link.closing)
            return;
    } else if (link.stage == 2 || link.stage == 3) {
        session.file += bytes;
    }
    if (link.stage == 2) {
        if (link.script.closeAfterFileBytes >= 0 && session.file.size() >= link.script.closeAfterFileBytes) {
            closeLink(link);
            return;
        }
        if (!link.script.blockReply.isEmpty()) {
            const qint64 blocks = std::min(session.file.size(), session.size) / 2048 +
                                  (session.file.size() >= session.size && session.size % 2048 ? 1 : 0);
            if (blocks > link.blocksAnswered)
                send(link, link.script.blockReply.repeated(blocks - link.blocksAnswered), false);
            link.blocksAnswered = blocks;
        }
        if (session.file.size() >= session.size) {
            session.complete = true;
            link.stage = 3;
            if (!link.script.afterFile.isEmpty())
                send(link, link.script.afterFile, false);
        }
    }
}

} // namespace corvane::test
