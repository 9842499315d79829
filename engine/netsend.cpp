#include "engine/netsend.h"

#include "engine/deliverystatus.h"
#include "engine/module.h"
#include "engine/module1.h"
#include "engine/transfer.h"

#include <QCoreApplication>

namespace corvane {

QString NetSend::NetSendResultText(std::int32_t code)
{
    switch (code) {
    case 0: return kSent;
    case 5: return QStringLiteral("Access to computer denied");
    case 50: return QStringLiteral("Network request not supported.");
    case 53: return QStringLiteral("Sent From server name not found.");
    case 87: return QStringLiteral("Invalid parameter(s) specified.");
    case 123: return QStringLiteral("Illegal character or malformed name.");
    case 2136: return QStringLiteral("General network error occurred");
    case 2250: return QStringLiteral("Network connection not found");
    case 2273: return QStringLiteral("Could not locate node name on network");
    default: return QStringLiteral("Unknown error executing command.");
    }
}

QByteArray NetSend::MessageBuffer(const QString& text)
{
    QByteArray buffer;
    buffer.reserve(text.size() * 2 + 2);
    for (const QChar c : text) {
        buffer.append(static_cast<char>(c.unicode() & 0xFF));
        buffer.append(static_cast<char>(c.unicode() >> 8));
    }
    buffer.append('\0');
    buffer.append('\0');
    return buffer;
}

bool NetSend::DeliverMessage(const QString& target, const QString& message, const QString& mode)
{
    if (busy_) {
        m1_.DeliveryStatus = m1_.ClientMode == 1 && mode == QLatin1String("SINGLE") ? kClientFailed
                             : mode == QLatin1String("DOMAIN")                      ? kDomainFailed
                                                                                    : kServiceError;
        return false;
    }
    busy_ = true;
    const bool result = deliver(target, message, mode);
    busy_ = false;
    return result;
}

bool NetSend::deliver(const QString& target, const QString& message, const QString& mode)
{
    m1_.DeliveryStatus = QStringLiteral("No Info...");
    m1_.AliasName = m1_.console().aliasText();
    IMessenger& messenger = *m1_.platform().messenger;
    // The length the messaging call is given: the UTF-16 text and the first byte of its NUL.
    const std::uint32_t length = static_cast<std::uint32_t>(2 * message.size() + 1);

    if (mode == QLatin1String("SINGLE")) {
        QString recipient = target;
        QString address;
        EchoReply reply{};
        bool answered = false;
        if (!module_.SocketsStartup()) {
            m1_.dialogs().msgBox(QStringLiteral("Windows Sockets for 32 bit Windows is not successfully responding."),
                                 MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane"));
        } else {
            QCoreApplication::processEvents();
            address = module_.ResolveHostIP(target);
            if (m1_.SendAsIP == QLatin1String("YES"))
                recipient = address;
            answered = module_.PingHost(address, EchoPayload, reply) == 0;
            module_.SocketsCleanup();
        }
        if (!answered) {
            m1_.DeliveryStatus = kNoPing;
            return false;
        }

        if (m1_.ClientMode == 1) {
            ClientTransfer& link = m1_.transfer();
            ITcpClient& socket = link.tcpServer;
            socket.Close();
            link.forgetReplies();
            // The address that answered the echo: a second lookup of the name may give another.
            socket.Connect(address, static_cast<std::uint16_t>(m1_.ClientPort));
            // Ends on connected or failed, and also when the connection went away before it was
            // seen standing: nothing else can follow from there.
            link.waitUntil([&socket] {
                const int state = socket.State();
                return state == ITcpClient::Connected || state == ITcpClient::Error || state == ITcpClient::Closed ||
                       state == ITcpClient::Closing;
            });
            if (socket.State() != ITcpClient::Connected) {
                m1_.DeliveryStatus = kClientFailed;
                return false;
            }
            const bool ok = m1_.TransferMessageFile(socket);
            m1_.DeliveryStatus = ok ? kClientSent : kClientFailed;
            link.MessageTimer->stop();
            socket.Close();
            return ok;
        }

        // The address goes along with the name: the computer answered the echo there.
        const std::int32_t code = messenger.NetMessageBufferSend(MessageBuffer(recipient), MessageBuffer(m1_.AliasName),
                                                                 MessageBuffer(message), length, address);
        m1_.DeliveryStatus = NetSendResultText(code);
        if (m1_.DeliveryStatus != kSent) {
            m1_.DeliveryStatus = kServiceError;
            return false;
        }
        return true;
    }

    if (mode == QLatin1String("DOMAIN")) {
        const std::int32_t code =
            messenger.NetMessageBufferSend(MessageBuffer(target + QLatin1Char('*')), MessageBuffer(m1_.AliasName),
                                           MessageBuffer(message), length, QString());
        if (NetSendResultText(code) == kSent) {
            m1_.DeliveryStatus = kSent;
            return true;
        }
        m1_.DeliveryStatus = kDomainFailed;
        return false;
    }
    return false;
}

} // namespace corvane
