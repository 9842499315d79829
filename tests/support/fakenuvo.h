#pragma once
// A Nuvo client for tests: a real TCP server on a loopback address (127.0.0.x) that answers the
// transfer protocol as its script says, and keeps what each connection received.
//
//   FakeNuvo peer;                                      // grants every request, accepts every file
//   t.setSetting("PORT", QString::number(peer.port())); // before t.start()
//   ... deliver to "127.0.0.1" (peer.host()) ...
//   peer.sessions().at(0).file                          // the message file as the client got it
//
//   FakeNuvo other(QStringLiteral("127.0.0.2"), peer.port()); // a second node on the same port
//   peer.setScript(FakeNuvo::silent());                       // every connection from now on
//   peer.setScripts({FakeNuvo::grant(), FakeNuvo::refuse()}); // one per connection, the last repeats
//   FakeNuvo slow(QStringLiteral("127.0.0.3"), peer.port(), 4096); // a small receive buffer
//   slow.setScript(FakeNuvo::slowReader(256));                     // 256 bytes every 2 ms
//
// The peer runs on the test's thread: it answers while the program waits in its event loop. Ports
// are chosen below 32768, as the settings keep the port as a 16-bit signed number.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace corvane::test {

class FakeNuvo : public QObject {
    Q_OBJECT
public:
    struct Script {
        QByteArray onConnect;                                                     // sent once connected
        std::optional<QByteArray> requestReply = QByteArray("Received:PACKET:1"); // none: silent
        std::optional<QByteArray> offerReply = QByteArray("Received:PEND~#:1");   // after name and size
        bool closeAfterRequestReply = false;
        bool closeAfterOfferReply = false;
        qint64 closeAfterFileBytes = -1; // closes once this many bytes of the file arrived
        QByteArray beforeClose;          // sent just before the peer closes ("Received:kickH#")
        QByteArray afterFile;            // sent once the whole file arrived ("Received:accept")
        QByteArray blockReply;           // sent for every 2048-byte block, in one write per read
        qint64 readBytes = 0;            // a slow reader: reads at most this many bytes every 2 ms
        int splitAt = 0;                 // every reply goes in two pieces, cut here,
        int splitPauseMs = 30;           // this long apart
        int replyDelayMs = 0;            // every reply waits this long
        bool reset = false;              // the peer's close is a reset, not an orderly close
    };
    // The scripts of the usual clients.
    static Script grant() { return {}; }
    static Script refuse()
    {
        Script s;
        s.requestReply = QByteArray("Received:PACKET:-1");
        return s;
    }
    static Script silent()
    {
        Script s;
        s.requestReply.reset();
        return s;
    }
    static Script noOfferReply()
    {
        Script s;
        s.offerReply.reset();
        return s;
    }
    static Script denyFile()
    {
        Script s;
        s.offerReply = QByteArray("Received:PEND~#:0");
        return s;
    }
    static Script denied()
    {
        Script s;
        s.requestReply = QByteArray("Received:denied");
        return s;
    }
    static Script reply(const QByteArray& toRequest)
    {
        Script s;
        s.requestReply = toRequest;
        return s;
    }
    // Answers every block as it reads the file, slowly: this many bytes each time.
    static Script answersEveryBlock(qint64 readBytes)
    {
        Script s;
        s.blockReply = "Received:accept:1";
        s.readBytes = readBytes;
        return s;
    }
    // A client that takes the file slowly, as a busy desktop does, and answers every block as it
    // allows ("Received:accept:0"); give it a small receive buffer, so the file waits with the sender.
    static Script slowReader(qint64 readBytes)
    {
        Script s = answersEveryBlock(readBytes);
        s.blockReply = "Received:accept:0";
        return s;
    }

    struct Session {
        QByteArray received;          // every byte, in order
        QByteArray request;           // the first 15 bytes: the transfer request
        QByteArray name;              // the file name offered
        qint64 size = -1;             // the size offered
        QByteArray file;              // the bytes after the offer
        bool complete = false;        // as many file bytes as offered have arrived
        bool closedByPeer = false;    // the script closed it
        bool closedByProgram = false; // the program closed it
    };

    // A receive buffer of receiveBuffer bytes (the system's smallest is about 2 KB) when not 0:
    // set before the listen, so that the connections take it from the start.
    explicit FakeNuvo(const QString& address = QStringLiteral("127.0.0.1"), quint16 port = 0, int receiveBuffer = 0);
    ~FakeNuvo() override;

    QString host() const { return address_.toString(); }
    quint16 port() const { return port_; }
    bool listening() const;
    void setScript(const Script& script) { scripts_ = {script}; }
    void setScripts(const QList<Script>& scripts) { scripts_ = scripts; }
    const QList<Session>& sessions() const { return sessions_; }
    int connections() const { return static_cast<int>(sessions_.size()); }
    // The bytes of that connection that this computer's system has taken: read by the script, and
    // waiting to be read.
    qint64 taken(int session) const;

private:
    struct Link;
    bool listenOn(quint16 port, int receiveBuffer);
    void accept();
    void onData(Link& link);
    void send(Link& link, const QByteArray& bytes, bool thenClose);
    void closeLink(Link& link);

    QHostAddress address_;
    quint16 port_ = 0;
    std::unique_ptr<QTcpServer> server_;
    QList<Script> scripts_ = {Script{}};
    QList<Session> sessions_;
    std::vector<std::unique_ptr<Link>> links_;
};

} // namespace corvane::test
