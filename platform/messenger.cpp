#include "platform/messenger.h"

#include <QProcess>
#include <QStandardPaths>

namespace corvane {

QString textFromUtf16Buffer(const QByteArray& buffer, qsizetype maxBytes)
{
    const qsizetype bytes = maxBytes < 0 ? buffer.size() : std::min(maxBytes, buffer.size());
    QString text;
    text.reserve(bytes / 2);
    for (qsizetype i = 0; i + 1 < bytes; i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                                    static_cast<unsigned char>(buffer[i + 1]) << 8);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

std::int32_t SmbclientMessenger::NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName,
                                                      const QByteArray& buffer, std::uint32_t length)
{
    const QString to = textFromUtf16Buffer(recipient);
    const QString from = textFromUtf16Buffer(fromName);
    // A name beginning with "-" would be read as one of the tool's options.
    if (to.isEmpty() || to.startsWith(QLatin1Char('-')) || from.startsWith(QLatin1Char('-')))
        return kErrorInvalidName;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("smbclient"));
    if (program.isEmpty())
        return kErrorNotSupported;

    QProcess smbclient;
    smbclient.setProgram(program);
    smbclient.setArguments({QStringLiteral("-M"), to, QStringLiteral("-U"), from, QStringLiteral("-N")});
    smbclient.setProcessChannelMode(QProcess::MergedChannels);
    smbclient.start(QIODevice::ReadWrite);
    if (!smbclient.waitForStarted(10000))
        return kErrorNotSupported;
    smbclient.write(textFromUtf16Buffer(buffer, static_cast<qsizetype>(length)).toUtf8());
    smbclient.closeWriteChannel();
    if (!smbclient.waitForFinished(timeoutMs)) {
        smbclient.kill();
        smbclient.waitForFinished(2000);
        return kNerrNetworkError;
    }
    if (smbclient.exitStatus() == QProcess::NormalExit && smbclient.exitCode() == 0)
        return kNerrSuccess;
    const QByteArray said = smbclient.readAll();
    for (const char* notFound :
         {"NT_STATUS_NOT_FOUND", "NT_STATUS_BAD_NETWORK_NAME", "NT_STATUS_OBJECT_NAME_NOT_FOUND",
          "NT_STATUS_HOST_UNREACHABLE", "NT_STATUS_INVALID_COMPUTER_NAME", "Unable to resolve"}) {
        if (said.contains(notFound))
            return kNerrNameNotFound;
    }
    return kNerrNetworkError;
}

} // namespace corvane
