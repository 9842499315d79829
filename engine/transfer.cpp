#include "engine/transfer.h"

#include "engine/module1.h"
#include "engine/textfile.h"

#include <QByteArrayAlgorithms>
#include <QCoreApplication>

namespace corvane {

namespace {
const QByteArray kReceived = QByteArrayLiteral("received");

qsizetype findReceived(const QByteArray& text, qsizetype from)
{
    for (qsizetype i = from; i + kReceived.size() <= text.size(); ++i) {
        if (qstrnicmp(text.constData() + i, kReceived.constData(), static_cast<size_t>(kReceived.size())) == 0)
            return i;
    }
    return -1;
}

bool valuedCommand(const QByteArray& reply)
{
    const QByteArray command = reply.mid(9, 6).toLower();
    return command == "packet" || command == "pend~#";
}

// A reply that may still be coming: part of "Received" or of the command, or a command that needs
// a value with no digit of it yet.
bool mayBeIncomplete(const QByteArray& reply)
{
    if (reply.size() < 15)
        return true;
    if (!valuedCommand(reply))
        return false;
    const QByteArray value = reply.mid(16).trimmed();
    return value.isEmpty() || value == "-" || value == "+";
}
} // namespace

ClientTransfer::ClientTransfer(Module1& m1, ITcpClient& socket)
    : tcpServer(socket), PacketTimer(std::make_unique<QTimer>()), MessageTimer(std::make_unique<QTimer>()), m1_(m1)
{
    PacketTimer->setObjectName(QStringLiteral("PacketTimer"));
    PacketTimer->setInterval(20000);
    MessageTimer->setObjectName(QStringLiteral("MessageTimer"));
    MessageTimer->setInterval(25000);
    // A time-out is a promise to the client: never early by the coarse timer's 5 %.
    PacketTimer->setTimerType(Qt::PreciseTimer);
    MessageTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(PacketTimer.get(), &QTimer::timeout, [this] { PacketTimer_Timer(); });
    QObject::connect(MessageTimer.get(), &QTimer::timeout, [this] { MessageTimer_Timer(); });
    settle_.setSingleShot(true);
    QObject::connect(&settle_, &QTimer::timeout, [this] { takeReplies(true); });
    tcpServer.DataArrival = [this](int bytesTotal) { tcpServer_DataArrival(bytesTotal); };
    tcpServer.SendComplete = [this] { tcpServer_SendComplete(); };
}

ClientTransfer::~ClientTransfer()
{
    tcpServer.DataArrival = nullptr;
    tcpServer.SendComplete = nullptr;
}

void ClientTransfer::waitUntil(const std::function<bool()>& done)
{
    // Sleeps in the event loop until at least one event has run, then looks again.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ClientTransfer::forgetReplies()
{
    settle_.stop();
    received_.clear();
}

void ClientTransfer::tcpServer_DataArrival(int)
{
    settle_.stop();
    received_ += tcpServer.GetData();
    takeReplies(false);
}

void ClientTransfer::takeReplies(bool flush)
{
    // The client does not frame its replies: each begins with "Received", so the received text is
    // cut before every "Received" after the first, and one reply is never taken twice.
    while (!received_.isEmpty()) {
        const qsizetype start = findReceived(received_, 0);
        if (start < 0) {
            // No reply here. Keep only an end that may be the start of one still arriving.
            qsizetype keep = 0;
            for (qsizetype n = std::min<qsizetype>(kReceived.size() - 1, received_.size()); n > 0; --n) {
                if (received_.right(n).toLower() == kReceived.left(n)) {
                    keep = n;
                    break;
                }
            }
            received_ = flush ? QByteArray() : received_.right(keep);
            if (!received_.isEmpty())
                settle_.start(replySettleMs);
            return;
        }
        received_.remove(0, start); // text before a reply is no reply
        QByteArray reply;
        const qsizetype next = findReceived(received_, kReceived.size());
        if (next >= 0) {
            reply = received_.left(next);
            received_.remove(0, next);
        } else if (!flush && mayBeIncomplete(received_)) {
            settle_.start(replySettleMs);
            return;
        } else {
            reply = received_;
            received_.clear();
        }
        if (!ClientReply(reply))
            return;
    }
}

bool ClientTransfer::ClientReply(const QByteArray& reply)
{
    if (reply.left(8).toLower() != kReceived)
        return true;
    const QByteArray command = reply.mid(9, 6).toLower();
    const QString value = QString::fromLatin1(reply.mid(16));
    if (command == "packet") {
        std::int16_t size = 0;
        if (!toInt16(value, size)) {
            replyError(reply);
            return false;
        }
        if (size < 0) {
            m1_.dialogs().msgBox(
                QStringLiteral("The packet size your requesting has been denied by the server. The packet size is "
                               "now set to optimum size. When ready please click on 'Start Transfer' once again."),
                MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Packet Dinied"));
            m1_.PacketState = 0;
        } else {
            m1_.PacketState = 1;
        }
    } else if (command == "pend~#") {
        std::int16_t pend = 0;
        if (!toInt16(value, pend) || pend < 0 || pend > 255) {
            replyError(reply);
            return false;
        }
        m1_.PendState = static_cast<std::uint8_t>(pend);
    } else if (command == "denied") {
        m1_.dialogs().msgBox(QStringLiteral("The server denied access to connect."), MsgButtons::Ok, MsgIcon::Critical,
                             QStringLiteral("Unable to connect"));
        tcpServer.Close();
    } else if (command == "kickh#") {
        m1_.PeerKicked = true;
    }
    return true;
}

void ClientTransfer::replyError(const QByteArray& reply)
{
    received_.clear();
    settle_.stop();
    m1_.dialogs().msgBox(
        QStringLiteral("Corvane Encountered Errors With Incomming Winsock Data.  If this message occurs again then "
                       "please enable Error Logging to track down the problem (See help file INI section).  "
                       "If it persists, please report it to Corvane technical support (Help, E-Mail Tech "
                       "Support...).  Corvane Server will now close."),
        MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Winsock Error"));
    m1_.LogIfEnabled(QStringLiteral("[WINSOCK] DataArrival Error: ") + QString::fromLatin1(reply));
    tcpServer.Close();
    m1_.PeerKicked = false;
    m1_.platform().end->endNow();
}

void ClientTransfer::tcpServer_SendComplete()
{
    m1_.SendBusy = false;
}

void ClientTransfer::PacketTimer_Timer()
{
    m1_.PacketState = 0;
    m1_.LogIfEnabled(QStringLiteral("[WINSOCK] Winsock Communication Error [PacketTimer]: ") +
                     m1_.console().progressNodeText());
}

void ClientTransfer::MessageTimer_Timer()
{
    m1_.PacketState = 0;
    m1_.PendState = 1;
    tcpServer.Close();
    m1_.PeerKicked = false;
    m1_.LogIfEnabled(QStringLiteral("[WINSOCK] Winsock Communication Error [Message Timer]: ") +
                     m1_.console().progressNodeText());
}

} // namespace corvane
