#include "engine/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

QStringList splitTextLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << QString::fromLatin1(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << QString::fromLatin1(bytes.mid(start));
    return lines;
}

qint64 fileSize(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return static_cast<qint64>(info.st_size);
}

bool readFileBytes(const QString& path, qint64 limit, QByteArray& bytes)
{
    bytes.clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
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

// Unbuffered, so that a short write (a full disk, a size limit) is seen here: a buffered flush
// can drop the rest of the data and still report success.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    const bool written = opened && file.write(bytes) == bytes.size();
    if (written && file.commit())
        return true;
    if (error)
        *error = opened && !written ? QStringLiteral("not all of the data could be written") : file.errorString();
    file.cancelWriting();
    return false;
}

bool appendToFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    if (opened && file.write(bytes) == bytes.size())
        return true;
    if (error)
        *error = opened ? QStringLiteral("not all of the data could be written") : file.errorString();
    return false;
}

QByteArray crlfLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + kCrLf;
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
