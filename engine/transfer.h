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
    // every socket, timer or reply event; it never polls.
    void waitUntil(const std::function<bool()>& done);
    // Drops a reply still arriving from the last connection, so that it cannot run into the first
    // reply of the next one.
    void forgetReplies();

    // A reply that may still be arriving in pieces is held this long before it is taken as it is.
    int replySettleMs = 250;

private:
    // Takes the complete replies out of the received text and acts on each; with flush, also the
    // last one, however short.
    void takeReplies(bool flush);
    // False when the reply could not be parsed and the program ends.
    bool ClientReply(const QByteArray& reply);
    void replyError(const QByteArray& reply);

    Module1& m1_;
    QByteArray received_;
    QTimer settle_;
};

} // namespace corvane
