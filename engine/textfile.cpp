#include "engine/textfile.h"

#include <cmath>

namespace corvane {

namespace {

// Bytes 0x80 to 0x9F of the code page. The five it leaves unassigned stand for the control
// characters of the same number, so that no byte is lost between reading and writing.
constexpr char16_t kAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The character's byte, or -1 when the code page lacks it.
int ansiByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kAnsiHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString fromAnsi(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        *out++ = QChar(c >= 0x80 && c < 0xA0 ? kAnsiHigh[c - 0x80] : char16_t(c));
    }
    return text;
}

bool inAnsi(QChar c)
{
    return ansiByte(c.unicode()) >= 0;
}

QByteArray toAnsi(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        // A character beyond the 16-bit range is one character, and one "?".
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate())
            ++i;
        const int b = ansiByte(c.unicode());
        bytes += b < 0 ? '?' : static_cast<char>(b);
    }
    return bytes;
}

QString upperName(const QString& name)
{
    QString upper = name;
    for (QChar& c : upper) {
        const QChar capital = c.toUpper();
        if (capital != c && inAnsi(capital))
            c = capital;
    }
    return upper;
}

QStringList splitTextLines(const QByteArray& bytes)
{
    QStringList lines;
    TextLineCursor cursor(bytes);
    QByteArrayView line;
    while (cursor.next(line))
        lines << fromAnsi(line);
    return lines;
}

ReadResult readTextLines(const QString& path)
{
    ReadResult result;
    FileLineReader file(path);
    if (file.openError()) {
        result.error = fileErrorText(file.openError());
        return result;
    }
    QByteArrayView line;
    while (file.next(line))
        result.lines << fromAnsi(line);
    if (!file.error().isEmpty()) {
        result.error = file.error();
        result.lines.clear();
        return result;
    }
    result.ok = true;
    return result;
}

QByteArray crlfLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += toAnsi(line) + kCrLf;
    return bytes;
}

QString oneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

QByteArray keyLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += toAnsi(oneLine(line)) + kCrLf;
    return bytes;
}

bool keyValue(const QString& line, QString& value)
{
    const qsizetype first = line.indexOf(QLatin1Char('='));
    if (first < 0)
        return false;
    const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
    value = second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1);
    return true;
}

} // namespace corvane

namespace corvane {

bool toInt16(const QString& text, std::int16_t& value)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || text.trimmed().isEmpty() || !std::isfinite(number))
        return false;
    const double rounded = std::nearbyint(number); // the default rounding mode sends halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return false;
    value = static_cast<std::int16_t>(rounded);
    return true;
}

} // namespace corvane
