#include "platform/messenger.h"
#include "platform/programrun.h"

#include <QStandardPaths>

#include <algorithm>
#include <iconv.h>
#include <string_view>

namespace corvane {

namespace {

QChar unitAt(const QByteArray& buffer, qsizetype i)
{
    return QChar(
        static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) | static_cast<unsigned char>(buffer[i + 1]) << 8));
}

} // namespace

QString textFromUtf16Buffer(const QByteArray& buffer)
{
    QString text;
    for (qsizetype i = 0; i + 1 < buffer.size() && !unitAt(buffer, i).isNull(); i += 2)
        text.append(unitAt(buffer, i));
    return text;
}

QString utf16TextOfLength(const QByteArray& buffer, qsizetype bytes)
{
    bytes = std::clamp<qsizetype>(bytes, 0, buffer.size());
    QString text;
    text.reserve(bytes / 2);
    for (qsizetype i = 0; i + 1 < bytes; i += 2)
        text.append(unitAt(buffer, i));
    return text;
}

// ---------------------------------------------------------------------------------------------
// The code page

namespace {

// What mail and word processors put into a text that a DOS code page may lack: the characters of
// the Western Windows code page beyond ASCII, and the spaces of other widths.
struct Plain {
    std::u32string_view characters;
    const char* plain;
};
const Plain kPlain[] = {
    {U"\u2018\u2019\u201A\u201B\u2032\u2039\u203A", "'"},
    {U"\u201C\u201D\u201E\u201F\u2033\u00AB\u00BB", "\""},
    {U"\u2010\u2011\u2012\u2013\u2014\u2015\u2212\u00AD", "-"},
    {U"\u20AC", "EUR"},
    {U"\u2026", "..."},
    {U"\u2022\u2023\u00B7", "*"},
    {U"\u2122", "(TM)"},
    {U"\u00A9", "(C)"},
    {U"\u00AE", "(R)"},
    {U"\u2020", "+"},
    {U"\u2030", "o/oo"},
    {U"\u02C6", "^"},
    {U"\u02DC", "~"},
    {U"\u0152", "OE"},
    {U"\u0153", "oe"},
    {U"\u00C6", "AE"},
    {U"\u00E6", "ae"},
    {U"\u00DF", "ss"},
    {U"\u0192", "f"},
    {U"\u00A0\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200A\u202F", " "},
    {U"\u200B\u200C\u200D\uFEFF", ""},
};

const char* plainEquivalent(char32_t c)
{
    for (const Plain& p : kPlain) {
        if (p.characters.find(c) != std::u32string_view::npos)
            return p.plain;
    }
    return nullptr;
}

} // namespace

CodePage::CodePage(const QByteArray& name)
{
    const iconv_t converter = ::iconv_open(name.constData(), "UTF-32LE");
    if (converter != reinterpret_cast<iconv_t>(-1))
        converter_ = converter;
}

CodePage::~CodePage()
{
    if (converter_)
        ::iconv_close(static_cast<iconv_t>(converter_));
}

QByteArray CodePage::encode(char32_t c) const
{
    if (!converter_)
        return c < 0x80 ? QByteArray(1, static_cast<char>(c)) : QByteArray();
    char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF), static_cast<char>(c >> 16 & 0xFF),
                  static_cast<char>(c >> 24 & 0xFF)};
    char out[16];
    char* from = in;
    char* to = out;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    const iconv_t converter = static_cast<iconv_t>(converter_);
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (::iconv(converter, &from, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return {};
    return QByteArray(out, static_cast<qsizetype>(to - out));
}

QList<QByteArray> CodePage::encodeText(const QString& text) const
{
    const QList<uint> characters = text.toUcs4();
    QList<QByteArray> encoded;
    encoded.reserve(characters.size());
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        if (c == '\r' && i + 1 < characters.size() && characters[i + 1] == '\n')
            continue;
        // smbclient takes the text as a C string: a NUL would end it there.
        QByteArray bytes = c == 0 ? QByteArray("?") : encode(c);
        if (bytes.isEmpty()) {
            if (const char* plain = plainEquivalent(c)) {
                bytes = plain;
            } else {
                // A letter with an accent the code page lacks: the letter without it, where the
                // code page holds that.
                const QString split = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
                bool marks = split.size() > 1;
                for (qsizetype k = 1; k < split.size(); ++k)
                    marks = marks && split.at(k).category() == QChar::Mark_NonSpacing;
                bytes = marks ? encode(split.at(0).unicode()) : QByteArray();
                if (bytes.isEmpty())
                    bytes = "?";
            }
        }
        encoded << bytes;
    }
    return encoded;
}

// ---------------------------------------------------------------------------------------------
// smbclient

namespace {

// smbclient ends with status 0 when the receiver refused the message (a server without a message
// command, or one that speaks no SMB1, as every current desktop by default): it only says so.
bool refused(const QByteArray& output)
{
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("cli_message returned ") && !line.contains("NT_STATUS_OK"))
            return true;
    }
    return false;
}

QByteArray joined(const QList<QByteArray>& characters)
{
    QByteArray bytes;
    for (const QByteArray& c : characters)
        bytes += c;
    return bytes;
}

} // namespace

QByteArray SmbclientMessenger::codePage()
{
    if (codePage_)
        return *codePage_;
    codePage_ = QByteArrayLiteral("CP850");
    const QString program = QStandardPaths::findExecutable(testparm);
    if (program.isEmpty())
        return *codePage_;
    // The same smb.conf as smbclient reads; its notes about loading it go to standard error.
    const ProgramRun asked = runProgram(program, QList<QByteArray>{"-s", "--parameter-name=dos charset"});
    const QByteArray value = asked.output.trimmed();
    if (asked.succeeded() && !value.isEmpty() && !value.contains(' ') && CodePage(value).known())
        codePage_ = value;
    return *codePage_;
}

QList<QByteArray> SmbclientMessenger::messageParts(const QList<QByteArray>& characters)
{
    // What smbclient counts: the bytes, and the CR it puts before each LF.
    const auto cost = [](const QByteArray& c) { return c.size() + (c == "\n" ? 1 : 0); };
    qsizetype whole = 0;
    for (const QByteArray& c : characters)
        whole += cost(c);
    if (whole <= kMessageBytes)
        return {joined(characters)};

    for (int digits = 1;; ++digits) {
        // "(i/n) " with i and n of up to this many digits each.
        const qsizetype room = kMessageBytes - (2 * digits + 4);
        QList<QList<QByteArray>> cut;
        qsizetype at = 0;
        while (at < characters.size()) {
            qsizetype end = at;
            qsizetype used = 0;
            while (end < characters.size() && used + cost(characters[end]) <= room)
                used += cost(characters[end++]);
            qsizetype next = end;
            // A part ends at the last line break in its second half, else at the last space there;
            // that character goes.
            for (const char* gap : {"\n", " "}) {
                if (end == characters.size() || next != end)
                    break;
                for (qsizetype k = end; k > at + (end - at) / 2; --k) {
                    if (characters[k] == gap) {
                        end = k;
                        next = k + 1;
                        break;
                    }
                }
            }
            cut << characters.mid(at, end - at);
            at = next;
        }
        qsizetype limit = 1;
        for (int d = 0; d < digits; ++d)
            limit *= 10;
        if (cut.size() < limit) {
            QList<QByteArray> parts;
            for (qsizetype i = 0; i < cut.size(); ++i)
                parts << QStringLiteral("(%1/%2) ").arg(i + 1).arg(cut.size()).toLatin1() + joined(cut[i]);
            return parts;
        }
    }
}

std::int32_t SmbclientMessenger::NetMessageBufferSend(const QByteArray& recipient, const QByteArray& fromName,
                                                      const QByteArray& buffer, std::uint32_t length,
                                                      const QString& address)
{
    const QString to = textFromUtf16Buffer(recipient);
    const QString from = textFromUtf16Buffer(fromName);
    // A name beginning with "-" would be read as one of the tool's options.
    if (to.isEmpty() || to.startsWith(QLatin1Char('-')) || from.startsWith(QLatin1Char('-')))
        return kErrorInvalidName;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("smbclient"));
    if (program.isEmpty())
        return kErrorNotSupported;

    // smbclient would convert the text itself, and sends one it cannot convert whole unconverted,
    // garbling every accent of it; it also cuts a text into pieces of 127 bytes and converts each
    // on its own, so a character of several bytes cut in two garbles its piece. The text is
    // therefore given to it already in the receivers' code page, and smbclient told that this is
    // its own character set too: it then passes the bytes on as they are.
    const QByteArray page = codePage();
    const CodePage codec(page);
    QList<QByteArray> arguments = {"-M", joined(codec.encodeText(to))};
    if (!address.isEmpty())
        arguments << "-I" << address.toLatin1();
    arguments << "-U" << joined(codec.encodeText(from)) << "-N"
              << "--option=dos charset=" + page << "--option=unix charset=" + page;

    const QString text = utf16TextOfLength(buffer, static_cast<qsizetype>(length));
    for (const QByteArray& part : messageParts(codec.encodeText(text))) {
        ProgramRunOptions options;
        options.input = part;
        options.timeoutMs = timeoutMs;
        options.mergeErrors = true;
        const ProgramRun sent = runProgram(program, arguments, options);
        if (!sent.started)
            return kErrorNotSupported;
        if (!sent.finished)
            return kNerrNetworkError;
        if (sent.exitCode == 0 && !refused(sent.output))
            continue;
        for (const char* notFound :
             {"NT_STATUS_NOT_FOUND", "NT_STATUS_BAD_NETWORK_NAME", "NT_STATUS_OBJECT_NAME_NOT_FOUND",
              "NT_STATUS_HOST_UNREACHABLE", "NT_STATUS_INVALID_COMPUTER_NAME", "Unable to resolve"}) {
            if (sent.output.contains(notFound))
                return kNerrNameNotFound;
        }
        return kNerrNetworkError;
    }
    return kNerrSuccess;
}

} // namespace corvane
