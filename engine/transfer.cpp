#include "engine/transfer.h"

#include "engine/module1.h"
#include "engine/textfile.h"
#include "platform/eventwait.h"

#include <QList>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace corvane {

namespace {
const QByteArray kReceived = QByteArrayLiteral("received");
// "Received", a separator, the six characters of the command, a separator, then the value.
constexpr qsizetype kCommandAt = 9;
constexpr qsizetype kValueAt = 16;

// The blanks a number may be written between, as the value's reading trims them.
bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\xa0';
}
} // namespace

void ClientTransfer::Value::add(char c)
{
    if (stage == Other || (stage == Blank && isBlank(c)))
        return;
    if (stage == Blank && (c == '-' || c == '+')) {
        stage = Sign;
        negative = c == '-';
        return;
    }
    if (c < '0' || c > '9') {
        stage = Other;
        return;
    }
    stage = Digits;
    number = std::min(number * 10 + (c - '0'), 1000);
}

ClientTransfer::Rest ClientTransfer::restOfReply() const
{
    // Part of "Received", or of the command.
    if (reply_.size() < kValueAt - 1)
        return Rest::Awaited;
    // It may end where the next reply begins; if that is so, no number goes on into "Received".
    if (matched_ > 0)
        return Rest::Briefly;
    const QByteArray command = reply_.mid(kCommandAt, 6).toLower();
    const bool packet = command == "packet";
    if (!packet && command != "pend~#")
        return Rest::None;
    switch (value_.stage) {
    case Value::Blank:
    case Value::Sign: return Rest::Awaited;
    case Value::Digits: {
        // Only the sign of a packet size matters, and "-0" may yet become a refusal; an offer's
        // answer 0 or 2 may yet become one that lets the file go. Digits that could only make a
        // number out of range are not waited for.
        const int n = value_.number;
        const bool mayChange = packet ? value_.negative && n == 0 : n == 0 || (n == 2 && !value_.negative);
        return mayChange ? Rest::Briefly : Rest::None;
    }
    case Value::Other: break;
    }
    return Rest::None;
}

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
    QObject::connect(&settle_, &QTimer::timeout, [this] { takeReply(); });
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
    waitInEventLoop([&] {
        if (settle_.isActive()) {
            const int state = tcpServer.State();
            if (state == ITcpClient::Closing || state == ITcpClient::Error) {
                settle_.stop();
                takeReply();
            }
        }
        return done();
    });
}

bool ClientTransfer::waitAcknowledged()
{
    qint64 left = tcpServer.Unacknowledged();
    if (left > 0) {
        // Its ticks wake the wait for a socket that cannot tell when the client acknowledges.
        QTimer look;
        look.start(kAckLookMs);
        waitUntil([&] { return (left = tcpServer.Unacknowledged()) <= 0; });
    }
    return left == 0;
}

void ClientTransfer::forgetReplies()
{
    settle_.stop();
    reply_.clear();
    matched_ = 0;
    value_ = {};
    received_ = 0;
    allowed_ = kReplyLimit;
}

void ClientTransfer::tcpServer_DataArrival(int)
{
    settle_.stop();
    const QByteArray data = tcpServer.GetData();
    // The replies that this arrival completes are acted on once it has been read through: a box
    // shown for one lets events run, and a reply arriving meanwhile finds the reading in order.
    QList<QByteArray> whole;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Every byte counts, whole replies too: a client repeating a well-formed reply is as much a
        // flood as one that never ends its reply.
        if (++received_ > allowed_)
            break;
        const char c = data[i];
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (reply_.size() < kReceived.size()) {
            // A piece that the client did not go on with was no reply: this arrival is read on its own.
            if (i == 0 && lower != kReceived[reply_.size()])
                reply_.clear();
            // What does not begin with "Received" is no reply, whatever follows in this arrival.
            if (lower != kReceived[reply_.size()]) {
                reply_.clear();
                received_ += size - i - 1;
                break;
            }
            reply_ += c;
            continue;
        }
        reply_ += c;
        if (reply_.size() > kValueAt)
            value_.add(c);
        matched_ = lower == kReceived[matched_] ? matched_ + 1 : (lower == kReceived[0] ? 1 : 0);
        if (matched_ == kReceived.size()) {
            whole << reply_.left(reply_.size() - matched_);
            reply_.remove(0, reply_.size() - matched_);
            matched_ = 0;
            value_ = {};
        }
    }
    if (received_ > allowed_) {
        // A client pouring out bytes is not listened to any longer: the wait ends as it would for
        // a client that went silent or away, and nothing more is read. The replies it completed
        // before count as they came.
        forgetReplies();
        received_ = allowed_ + 1; // until the next connection
        tcpServer.Close();
    } else if (!reply_.isEmpty()) {
        // The client writes a reply as it likes, in pieces too, with pauses between them.
        switch (restOfReply()) {
        case Rest::None:
            whole << std::exchange(reply_, QByteArray());
            value_ = {};
            break;
        case Rest::Briefly: settle_.start(replySettleMs); break;
        case Rest::Awaited: break;
        }
    }
    for (const QByteArray& reply : whole) {
        if (!ClientReply(reply))
            return;
    }
}

void ClientTransfer::takeReply()
{
    // What may begin the next reply stays and waits for its rest.
    const qsizetype end = reply_.size() - matched_;
    const QByteArray reply = reply_.left(end);
    reply_.remove(0, end);
    matched_ = 0;
    value_ = {};
    ClientReply(reply);
}

void ClientTransfer::clientBox(const QString& text, const QString& title)
{
    if (m1_.CmdLineMode != 1) {
        m1_.dialogs().msgBox(text, MsgButtons::Ok, MsgIcon::Critical, title);
        return;
    }
    m1_.LogIfEnabled(QStringLiteral("[WINSOCK] ") + title + QStringLiteral(" (") + text + QStringLiteral("): ") +
                     m1_.console().progressNodeText());
}

bool ClientTransfer::ClientReply(const QByteArray& reply)
{
    const QByteArray command = reply.mid(kCommandAt, 6).toLower();
    const QString value = fromAnsi(reply.mid(kValueAt));
    if (command == "packet") {
        std::int16_t size = 0;
        if (!toInt16(value, size)) {
            replyError(reply);
            return false;
        }
        if (size < 0) {
            clientBox(QStringLiteral("The packet size your requesting has been denied by the server. The packet size "
                                     "is now set to optimum size. When ready please click on 'Start Transfer' once "
                                     "again."),
                      QStringLiteral("Packet Dinied"));
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
        clientBox(QStringLiteral("The server denied access to connect."), QStringLiteral("Unable to connect"));
        tcpServer.Close();
    } else if (command == "kickh#") {
        m1_.PeerKicked = true;
    }
    return true;
}

void ClientTransfer::replyError(const QByteArray& reply)
{
    forgetReplies();
    const QString first = QStringLiteral("Corvane Encountered Errors With Incomming Winsock Data.");
    // An unattended run does not close for one client's reply: that node fails and the run goes on.
    const bool unattended = m1_.CmdLineMode == 1;
    clientBox(unattended ? first
                         : first + QStringLiteral("  If this message occurs again then please enable Error Logging to "
                                                  "track down the problem (See help file INI section).  If it "
                                                  "persists, please report it to Corvane technical support (Help, "
                                                  "E-Mail Tech Support...).  Corvane Server will now close."),
              QStringLiteral("Corvane - Winsock Error"));
    m1_.LogIfEnabled(QStringLiteral("[WINSOCK] DataArrival Error: ") + fromAnsi(reply));
    tcpServer.Close();
    m1_.PeerKicked = false;
    if (unattended) {
        m1_.PacketState = 0;
        return;
    }
    m1_.platform().end->endNow(EXIT_FAILURE);
}

int ClientTransfer::endGrace() const
{
    if (!MessageTimer->isActive())
        return 0;
    return std::clamp(MessageTimer->remainingTime(), 0, kEndGraceMs);
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
