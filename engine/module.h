#pragma once
// Reachability and names: the echo test, host-name resolution, and the socket library around them.
#include "platform/network.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvane {

class Module1;

class Module {
public:
    explicit Module(Module1& m1) : m1_(m1) {}

    // 0 when an echo reply came back in time (or when no echo facility can be opened: the node
    // then counts as answering); -1 when the address is no dotted IPv4 address; else the echo's
    // status for no answer.
    std::int32_t PingHost(const QString& address, const QByteArray& payload, EchoReply& reply);
    // The first IPv4 address of the name as dotted text; empty when the name does not resolve, or
    // when the system has not found it within NameLookupMs. Window events run meanwhile.
    QString ResolveHostIP(const QString& name);
    // Four single-byte characters of an address in network order, as dotted text.
    static QString BytesToDottedIP(const QByteArray& bytes);
    bool SocketsStartup();
    void SocketsCleanup();

    int EchoTimeoutMs = 500;
    // How long a delivery waits for a name, whatever the system's resolver would allow: long enough
    // for the system to try a second name server after a first that does not answer (5 s).
    static constexpr int kNameLookupMs = 6000;
    int NameLookupMs = kNameLookupMs;

private:
    Module1& m1_;
};

} // namespace corvane
