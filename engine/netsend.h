#pragma once
// Delivery of one message to one target, by the Messenger service or the Nuvo client.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvane {

class Module1;
class Module;

class NetSend {
public:
    NetSend(Module1& m1, Module& module) : m1_(m1), module_(module) {}

    // mode "SINGLE": one computer by name or dotted address; "DOMAIN": every computer of a domain
    // or workgroup. True when the message was delivered; DeliveryStatus holds the outcome's text.
    bool DeliverMessage(const QString& target, const QString& message, const QString& mode);
    static QString NetSendResultText(std::int32_t code);

    // True while a delivery runs. A delivery started meanwhile (a preview while a send waits)
    // fails at once rather than taking the socket from the running one.
    bool Busy() const { return busy_; }

    // The text as the messaging call takes it: UTF-16LE followed by one NUL character.
    static QByteArray MessageBuffer(const QString& text);

    // The three bytes each echo request carries.
    static inline const QByteArray EchoPayload = QByteArrayLiteral("CVS");

private:
    bool deliver(const QString& target, const QString& message, const QString& mode);

    Module1& m1_;
    Module& module_;
    bool busy_ = false;
};

} // namespace corvane
