#pragma once
// The client socket tcpServer and the two transfer timers, with the handlers their events run.
// The handlers set the transfer flags of Module1; the transfer waits on those flags.
#include "platform/network.h"

#include <QByteArray>
#include <QTimer>
#include <functional>
#include <memory>

namespace corvane {

class Module1;

class ClientTransfer {
public:
    ClientTransfer(Module1& m1, ITcpClient& socket);
    ~ClientTransfer();
    ClientTransfer(const ClientTransfer&) = delete;
    ClientTransfer& operator=(const ClientTransfer&) = delete;

    ITcpClient& tcpServer;
    // Both off until a transfer request is sent; neither switches itself off.
    std::unique_ptr<QTimer> PacketTimer;  // 20,000 ms: no answer to the request
    std::unique_ptr<QTimer> MessageTimer; // 25,000 ms: the whole transfer of one node

    void tcpServer_DataArrival(int bytesTotal);
    void tcpServer_SendComplete();
    void PacketTimer_Timer();
    void MessageTimer_Timer();

    // Lets events run until done() holds. The wait sleeps in the event loop and looks again after
    // every socket, timer or reply event; it never polls. Once the client has closed, a reply held
    // for more digits is taken as it stands, since none can follow.
    void waitUntil(const std::function<bool()>& done);
    // Lets events run until the client's system has acknowledged every byte sent (true), or the
    // connection is gone: the client went, or the message timer closed it (false). The client's
    // replies are read meanwhile.
    bool waitAcknowledged();
    // Drops a reply still arriving from the last connection, so that it cannot run into the first
    // reply of the next one.
    void forgetReplies();
    // The transfer has offered the file: the wait for the answer begins, and with it a new count of
    // the bytes the client may send. (The request's wait counts from the connection.)
    void beginWait()
    {
        received_ = 0;
        allowed_ = kReplyLimit;
    }
    // A block of the file has been handed over: the client may answer it.
    void blockSent() { allowed_ += kReplyPerBlock; }

    // Shows a box of the client's answer to the operator. In an unattended run nobody is there to
    // close it and the run would wait for ever: the text goes to the error log with the node instead.
    void clientBox(const QString& text, const QString& title);

    // A reply that would be whole as it stands, but whose value more digits could still change, is
    // held this long for them. A reply that cannot be whole yet waits for its rest within the wait's
    // own time-out instead.
    int replySettleMs = 250;
    // After the last block the client reads the rest of the file and closes; the program waits for
    // that at most this long (and never past the message timer), while it goes on to the next node.
    static constexpr int kEndGraceMs = 5000;
    // How long the ended connection may still take: the grace, within the message timer's time.
    int endGrace() const;
    // The socket wakes the wait when the client's system acknowledges the end; the wait also looks
    // again this often, for a socket that cannot tell.
    static constexpr int kAckLookMs = 50;
    // The most a client may send during one wait, whole replies included: one that pours out more
    // is not read any further, so that neither the processor nor the memory go to it.
    static constexpr qsizetype kReplyLimit = 4096;
    // While the file goes out a client may answer each block ("Received:accept:..."): every block
    // handed over lets it send this much more, however its answers bunch up.
    static constexpr qsizetype kReplyPerBlock = 128;

private:
    // How much more the reply being gathered waits for.
    enum class Rest {
        None,    // it is whole: it is acted on at once
        Briefly, // more may follow at once and change it: it waits replySettleMs
        Awaited, // it cannot be whole yet: it waits for the rest as long as the transfer waits
    };
    Rest restOfReply() const;
    // The value of a reply, read a byte at a time as it arrives: still blank, a bare sign, an
    // integer so far, or anything else (whose meaning no more digits can change).
    struct Value {
        enum Stage { Blank, Sign, Digits, Other } stage = Blank;
        bool negative = false;
        int number = 0; // held at 1000 at most: enough to tell what more digits could make of it
        void add(char c);
    };
    // Acts on the reply being gathered, up to what may begin the next one.
    void takeReply();
    // False when the reply could not be parsed: the program ends, or in an unattended run the node
    // fails.
    bool ClientReply(const QByteArray& reply);
    void replyError(const QByteArray& reply);

    Module1& m1_;
    // The client does not frame its replies. Each begins with "Received", so the received text is
    // cut before every "Received", and every byte is looked at once, as it arrives.
    QByteArray reply_;                // the reply being gathered, or the part of "Received" seen so far
    int matched_ = 0;                 // how much of a next "Received" the gathered reply ends with
    Value value_;                     // the gathered reply's value, its last matched_ bytes included
    qsizetype received_ = 0;          // bytes received since the wait began
    qsizetype allowed_ = kReplyLimit; // of which the client may send this many
    QTimer settle_;
};

} // namespace corvane
