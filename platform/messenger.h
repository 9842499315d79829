#pragma once
// The network messaging call of the Messenger road: one text popped up on another computer's screen.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvane {

// Result codes of the messaging call, as the messaging service numbers them.
inline constexpr std::int32_t kNerrSuccess = 0;
inline constexpr std::int32_t kErrorNotSupported = 50;
inline constexpr std::int32_t kErrorInvalidName = 123;
inline constexpr std::int32_t kNerrNetworkError = 2136;
inline constexpr std::int32_t kNerrNameNotFound = 2273;

class IMessenger {
public:
    virtual ~IMessenger() = default;
    // The buffers are UTF-16LE texts, the recipient and sender each ended by a NUL character;
    // length is the number of bytes of the message buffer to send. No server name: the local one.
    virtual std::int32_t NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName,
                                              const QByteArray& buffer, std::uint32_t length) = 0;
};

// smbclient -M <recipient> -U <sender> -N, the message on its standard input. The program is run
// directly with its arguments, never through a shell.
class SmbclientMessenger : public IMessenger {
public:
    std::int32_t NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName, const QByteArray& buffer,
                                      std::uint32_t length) override;

    // How long one call may take before it counts as a network error.
    int timeoutMs = 60000;
};

// The text of a UTF-16LE buffer: up to its first NUL character, or up to maxBytes.
QString textFromUtf16Buffer(const QByteArray& buffer, qsizetype maxBytes = -1);

} // namespace corvane
