#pragma once
// The network messaging call of the Messenger road: one text popped up on another computer's screen.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

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
    // address is the recipient's IPv4 address as the program has resolved it and found answering,
    // or empty (a domain): a road that cannot find a computer by name itself goes there.
    virtual std::int32_t NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName,
                                              const QByteArray& buffer, std::uint32_t length,
                                              const QString& address) = 0;
};

// A DOS code page as smbclient sends in it (Samba's "dos charset"), and the text it can carry.
class CodePage {
public:
    // The system's converter for the code page; the code page holds only ASCII where the system
    // has none for it.
    explicit CodePage(const QByteArray& name);
    ~CodePage();
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    bool known() const { return converter_ != nullptr; }
    // The character in the code page; empty when the code page lacks it.
    QByteArray encode(char32_t c) const;
    // The text as the code page holds it: a character it lacks becomes its plain equivalent
    // (" for curly quotes, - for dashes, EUR for €, the letter for a letter with an accent it
    // lacks) or "?", as a NUL character does. A CR before LF goes: smbclient puts its own before
    // every LF.
    QList<QByteArray> encodeText(const QString& text) const;

private:
    void* converter_ = nullptr; // iconv_t
};

// smbclient -M <recipient> -I <address> -U <sender> -N, the message on its standard input. The
// program is run directly with its arguments, never through a shell. Window events run while it
// works.
class SmbclientMessenger : public IMessenger {
public:
    std::int32_t NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName, const QByteArray& buffer,
                                      std::uint32_t length, const QString& address) override;

    // smbclient takes at most this many bytes of one message (each line break counting two, CR
    // and LF) and drops the rest.
    static constexpr qsizetype kMessageBytes = 1598;
    // A message over that goes as several, each beginning with its place: "(1/2) ", "(2/2) ".
    static QList<QByteArray> messageParts(const QList<QByteArray>& characters);

    // The code page the receivers read: smb.conf's "dos charset" as testparm tells it, asked once;
    // where testparm cannot tell, or names one the system cannot convert to, CP850 (Samba's own
    // default).
    QByteArray codePage();

    // How long one call may take before it counts as a network error.
    int timeoutMs = 60000;
    // The program that tells smb.conf's settings.
    QString testparm = QStringLiteral("testparm");

private:
    std::optional<QByteArray> codePage_;
};

// The text of a UTF-16LE buffer up to its first NUL character: a name.
QString textFromUtf16Buffer(const QByteArray& buffer);
// The characters of the buffer's first bytes (an odd last byte, the first of the ending NUL, goes),
// NUL characters included: a message is given by its length.
QString utf16TextOfLength(const QByteArray& buffer, qsizetype bytes);

} // namespace corvane
