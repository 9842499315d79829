#include "engine/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

bool TextLineCursor::next(QByteArrayView& line)
{
    const qsizetype size = text_.size();
    if (pos_ >= size)
        return false;
    const char* data = text_.data();
    const auto find = [&](qsizetype& cached, char c) {
        if (cached < pos_) {
            const qsizetype from = std::max(pos_, lineFree_);
            const void* at = std::memchr(data + from, c, static_cast<size_t>(size - from));
            cached = at ? static_cast<const char*>(at) - data : size;
        }
        return cached;
    };
    const qsizetype end = std::min(find(nextLf_, '\n'), find(nextCr_, '\r'));
    // Without the rest of the file, a line that runs to the end of the text, or a CR that ends it,
    // may not be whole.
    if (!complete_ && (end == size || (end == size - 1 && data[end] == '\r')))
        return false;
    line = text_.sliced(pos_, end - pos_);
    pos_ = end + 1;
    if (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n')
        ++pos_;
    return true;
}

FileLineReader::FileLineReader(const QString& path)
    : fd_(openRegularFile(QFile::encodeName(path), O_RDONLY)), end_(fd_ < 0)
{
    // A file that is not there yet holds no line; one that is there and cannot be read says why.
    if (fd_ < 0 && errno != ENOENT && errno != ENOTDIR)
        error_ = fileErrorText(errno);
}

FileLineReader::~FileLineReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileLineReader::next(QByteArrayView& line)
{
    constexpr qsizetype kBlock = 1 << 20;
    while (!cursor_.next(line)) {
        if (end_)
            return false;
        // The part line moves to the front of the block; the block grows only for a longer line.
        const qsizetype kept = filled_ - cursor_.position();
        if (block_.size() < kept + kBlock)
            block_.resize(kept + kBlock);
        if (cursor_.position() > 0)
            std::memmove(block_.data(), block_.constData() + cursor_.position(), static_cast<size_t>(kept));
        filled_ = kept;
        // The part line holds no line end, but for a CR as its last byte that may start a CR LF.
        const qsizetype lineFree = kept > 0 && block_[kept - 1] == '\r' ? kept - 1 : kept;
        ssize_t got = 0;
        do
            got = ::read(fd_, block_.data() + filled_, static_cast<size_t>(block_.size() - filled_));
        while (got < 0 && errno == EINTR);
        if (got > 0) {
            filled_ += got;
        } else {
            // The end of the file, or a read that failed (a folder in the file's place): what was
            // read stands.
            if (got < 0)
                error_ = fileErrorText(errno);
            end_ = true;
        }
        cursor_ = TextLineCursor(QByteArrayView(block_.constData(), filled_), end_, lineFree);
    }
    return true;
}

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

qint64 fileSize(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return static_cast<qint64>(info.st_size);
}

bool isSpecialFile(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

int openRegularFile(const QByteArray& encodedPath, int flags, struct stat* info)
{
    struct stat own {};
    struct stat& status = info ? *info : own;
    if (::stat(encodedPath.constData(), &status) != 0)
        return -1;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    const int fd = ::open(encodedPath.constData(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

QString fileErrorText(int error)
{
    return error == EINVAL ? QLatin1String(kSpecialFileError) : QString::fromLocal8Bit(std::strerror(error));
}

bool readFileBytes(const QString& path, qint64 limit, QByteArray& bytes)
{
    bytes.clear();
    const int fd = openRegularFile(QFile::encodeName(path), O_RDONLY);
    if (fd < 0)
        return false;
    bytes.resize(static_cast<qsizetype>(std::max<qint64>(limit, 0)));
    qsizetype got = 0;
    bool ok = true;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n > 0)
            got += n;
        else if (n == 0)
            break; // the file is shorter
        else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    bytes.truncate(got);
    return ok;
}

ReadResult readTextLines(const QString& path)
{
    ReadResult result;
    if (isSpecialFile(path)) {
        result.error = QLatin1String(kSpecialFileError);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    result.ok = true;
    result.lines = splitTextLines(bytes);
    return result;
}

// Commits the new file only when every byte of it was written.
static bool saveWhole(QSaveFile& file, bool opened, const QByteArray& bytes, QString* error)
{
    const bool written = opened && file.write(bytes) == bytes.size();
    if (written && file.commit())
        return true;
    if (error)
        *error = opened && !written ? QStringLiteral("not all of the data could be written") : file.errorString();
    file.cancelWriting();
    return false;
}

bool isWriteProtected(const QString& path)
{
    const QFileInfo file(path);
    return !file.isWritable() || !(file.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// Unbuffered, so that a short write (a full disk, a size limit) is seen here: a buffered flush
// can drop the rest of the data and still report success.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    // A new file would take the old one's place with the usual mode: the protection would be lost
    // with the content.
    if (QFileInfo::exists(path) && isWriteProtected(path)) {
        if (error)
            *error = QStringLiteral("the file is write-protected");
        return false;
    }
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return saveWhole(file, opened, bytes, error);
}

bool lockFile(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool appendToFile(const QString& path, const QByteArray& bytes, QString* error)
{
    if (isSpecialFile(path)) {
        if (error)
            *error = QLatin1String(kSpecialFileError);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // Other copies of the program append to the same logs: while this append and its undo run, no
    // other may, so records never interleave and an undo never cuts another's record.
    lockFile(file.handle(), LOCK_EX);
    const qint64 before = file.size();
    if (file.write(bytes) == bytes.size())
        return true;
    // Part of a record would be read as a whole one: what was added is taken away again.
    file.resize(before);
    if (error)
        *error = QStringLiteral("not all of the data could be written");
    return false;
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
