// Module1's part of the client transfer: the client message file and the transfer protocol.
#include "engine/module1.h"
#include "engine/textfile.h"
#include "engine/transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvane {

namespace {
// The claims on the client message file are locks on the program folder that holds it.
int openFolder(const QString& folder)
{
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}
} // namespace

Module1::~Module1()
{
    ReleaseClientMessageFile();
}

void Module1::ReleaseClientMessageFile()
{
    clientMessage_.reset();
    if (messageClaim_ >= 0)
        ::close(messageClaim_);
    messageClaim_ = -1;
}

void Module1::RemoveClientMessageFile()
{
    // This run's own claim becomes the exclusive one, which no other claim allows: the file is
    // removed only by the last run out. A run about to write the file waits for the removal to end.
    const int fd = messageClaim_ >= 0 ? messageClaim_ : openFolder(appPath_);
    messageClaim_ = -1;
    // Where the folder cannot be locked no run can claim the file: it goes as it always did.
    const bool alone = fd < 0 || lockFile(fd, LOCK_EX | LOCK_NB) || errno != EWOULDBLOCK;
    if (alone && FileExists(SocketFile))
        QFile::remove(SocketFile);
    if (fd >= 0)
        ::close(fd);
}

ClientTransfer& Module1::transfer()
{
    if (!clientTransfer_) {
        if (!platform_.tcp)
            platform_.tcp = std::make_unique<LinuxTcpClient>(platform_.resolver.get());
        clientTransfer_ = std::make_shared<ClientTransfer>(*this, *platform_.tcp);
    }
    return *clientTransfer_;
}

bool Module1::FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        const QDir folder = info.dir();
        return !folder.entryList({name}, QDir::Files | QDir::NoDotAndDotDot).isEmpty();
    }
    return info.isFile() && !info.isHidden();
}

void Module1::WriteClientMessageFile(const QString& path)
{
    IConsole& window = console_;
    QByteArray body;
    const bool html = window.htmlChosen();
    if (html) {
        const QString page = window.htmlPathText();
        if (!FileExists(page)) {
            dialogs().msgBox(QStringLiteral("Cannot Locate the HTML file selected: ") + page +
                                 QStringLiteral(".  Please check the path is correct."),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
            SendCancelled = QStringLiteral("YES");
            return;
        }
        GetFreeFileNumber();
        const ReadResult read = readTextLines(page);
        if (!read.ok) {
            // A page that is there but cannot be read would go out empty: nothing is sent instead.
            dialogs().msgBox(QStringLiteral("Cannot read the HTML file selected: ") + page + QStringLiteral(" (") +
                                 read.error + QStringLiteral(").  Please check the file can be opened."),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
            SendCancelled = QStringLiteral("YES");
            return;
        }
        body = crlfLines(read.lines) + kCrLf;
    } else {
        body = toAnsi(CurrentMessage) + kCrLf;
    }

    const QStringList keys = {
        QStringLiteral("CLI_HEADLINE=") + oneLine(window.headlineText()),
        QStringLiteral("CLI_WIN_TITLE=") + oneLine(window.winTitleText()),
        QStringLiteral("CLI_DATE=") + (ShowDate == QLatin1String("YES") ? DateText() : QStringLiteral("DISABLED")),
        QStringLiteral("CLI_TIME=") + (ShowTime == QLatin1String("YES") ? TimeText() : QStringLiteral("DISABLED")),
        QStringLiteral("CLI_FROM=") + oneLine(window.aliasText()),
        html ? QStringLiteral("CLI_TYPE=HTML") : QStringLiteral("CLI_TYPE=PLAIN"),
        QStringLiteral("CLI_TIMEOUT=") +
            (window.timeOutTicked() ? QString::number(TimeOutMinutes) : QStringLiteral("DISABLED")),
    };
    // The claim comes first, so that a run finishing meanwhile cannot remove what this one writes.
    if (messageClaim_ < 0) {
        messageClaim_ = openFolder(appPath_);
        if (messageClaim_ >= 0)
            lockFile(messageClaim_, LOCK_SH);
    }
    const QByteArray file = crlfLines(keys) + body;
    GetFreeFileNumber();
    if (!writeWholeFile(path, file)) {
        dialogs().msgBox(QStringLiteral("The socket.txt file is Invalid or Corrupt.  Please delete it and make sure "
                                        "your logged on with Administrator privalages."),
                         MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
        platform_.end->endNow(EXIT_FAILURE);
        return;
    }
    clientMessage_ = file;
}

bool Module1::TransferMessageFile(ITcpClient& socket)
{
    ClientTransfer& link = transfer();
    // A kick belongs to this node alone: every return clears it, so it never names the next node's failure.
    const auto forgetKick = qScopeGuard([this] { PeerKicked = false; });
    // Nor is any of its replies read once it has ended, however it ended.
    const auto forgetReplies = qScopeGuard([&link] { link.forgetReplies(); });
    const auto lost = [&] {
        LogIfEnabled((PeerKicked ? QStringLiteral("[WINSOCK] File transfer failed. You was kicked off the server: ")
                                 : QStringLiteral("[WINSOCK] File transfer failed. Lost peer connection: ")) +
                     console_.progressNodeText());
        socket.Close();
        return false;
    };

    socket.SendData(QByteArrayLiteral("Request#:PACKET"));
    PacketState = 2;
    link.PacketTimer->start();
    link.MessageTimer->start();
    // A client that closes or resets the connection will not answer: the node fails at once.
    // (After "denied" the program closed it itself, and the request times out.)
    const auto peerGone = [&] { return socket.State() == ITcpClient::Closing || socket.State() == ITcpClient::Error; };
    link.waitUntil([&] { return PacketState != 2 || peerGone(); });
    link.PacketTimer->stop();
    if (PacketState == 2)
        return lost();
    if (PacketState == 0) {
        socket.Close();
        return false;
    }

    PendState = 2;
    // The bytes are taken once, and the offered size is theirs.
    QByteArray file;
    bool readable = true;
    if (clientMessage_)
        file = *clientMessage_;
    else
        readable = readFileBytes(SocketFile, std::min<qint64>(fileSize(SocketFile), INT32_MAX), file);
    // The offer's two messages are made before the first goes, so that the second follows it at
    // once: a client still reading the name then finds the size with it and answers a turn sooner.
    const QByteArray name = QByteArrayLiteral("File~~~#:name~#:") + toAnsi(FileNameFromPath(SocketFile));
    const std::int32_t size = static_cast<std::int32_t>(file.size());
    const QByteArray offer = QByteArrayLiteral("File~~~#:size~#:") + QByteArray::number(size);
    SendBusy = true;
    socket.SendData(name);
    link.waitUntil([&] { return !SendBusy || socket.State() != ITcpClient::Connected; });
    // The connection went before the name was handed over: nothing more can reach the client.
    if (SendBusy && socket.State() != ITcpClient::Connected)
        return lost();

    SendBusy = true;
    link.beginWait();
    socket.SendData(offer);
    SendBusy = true;

    // A client that has gone away will not answer the offer: the file is then found unsendable.
    link.waitUntil([&] { return PendState != 2 || socket.State() != ITcpClient::Connected; });
    if (PendState == 0) {
        link.clientBox(QStringLiteral("File transfer was denied by the server."),
                       QStringLiteral("File Transfer Error"));
        return false;
    }
    if (readable && SendFileChunks(file, socket)) {
        // Handed to this computer's network is not yet at the client: the node has the message
        // once its system has acknowledged every byte, and the end after them.
        socket.EndSending();
        if (link.waitAcknowledged()) {
            // Closed at once, the connection would be reset by any answer the client sends
            // meanwhile, and the client would lose what it has not read yet.
            socket.Finish(link.endGrace());
            return true;
        }
    }
    return lost();
}

bool Module1::SendFileChunks(const QByteArray& file, ITcpClient& socket)
{
    ClientTransfer& link = transfer();
    const std::int32_t size = static_cast<std::int32_t>(file.size());
    std::int32_t sent = 0;
    for (;;) {
        SendBusy = true;
        const QByteArray block = file.mid(sent, 2048);
        if (socket.State() != ITcpClient::Connected)
            return false;
        const bool last = static_cast<qint64>(sent) + 2048 >= size;
        socket.SendData(last ? block.left(size - sent) : block);
        link.waitUntil([&] { return !SendBusy || socket.State() != ITcpClient::Connected; });
        if (SendBusy && socket.State() != ITcpClient::Connected)
            return false; // closed before the block was handed over
        link.blockSent();
        QCoreApplication::processEvents();
        if (last)
            return true;
        sent += 2048;
    }
}

} // namespace corvane
