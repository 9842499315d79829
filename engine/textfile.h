#pragma once
// The program's text files and the client protocol are single-byte text in the Western ANSI code
// page (Windows-1252), the one the desktops that read them use, with CR LF line ends.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <sys/stat.h>

namespace corvane {

inline constexpr char kCrLf[] = "\r\n";

struct ReadResult {
    bool ok = false;
    QString error;
    QStringList lines;
};

// Walks the lines of a text held in memory as the system's line reader splits them: a line ends at
// CR LF, CR or LF; a last line without an end still counts. A text that is only the first part of
// more (`complete` false) gives no line whose end it does not hold whole.
class TextLineCursor {
public:
    // `lineFree`: how many bytes at the start are known to hold no line end, so that a long part
    // line is not looked through again each time more of it is read.
    explicit TextLineCursor(QByteArrayView text, bool complete = true, qsizetype lineFree = 0)
        : text_(text), complete_(complete), lineFree_(lineFree)
    {
    }
    // Where the next line begins.
    qsizetype position() const { return pos_; }
    // The next line, without its end; false at the end of the text.
    bool next(QByteArrayView& line);

private:
    QByteArrayView text_;
    bool complete_;
    qsizetype lineFree_;
    qsizetype pos_ = 0;
    qsizetype nextLf_ = -1; // where the next LF and CR stand, so each is looked for once
    qsizetype nextCr_ = -1;
};

// Reads the lines of a file in blocks, so that a file of any size is never held whole.
class FileLineReader {
public:
    // An empty reader when the file cannot be opened.
    explicit FileLineReader(const QString& path);
    ~FileLineReader();
    bool next(QByteArrayView& line);
    // Why a file that is there could not be read to its end; empty when it could, and for a file
    // that does not exist.
    const QString& error() const { return error_; }

private:
    int fd_ = -1;
    bool end_ = false;
    QString error_;
    QByteArray block_;
    qsizetype filled_ = 0;
    TextLineCursor cursor_{QByteArrayView()};
};

// True for something that is there but is neither a regular file nor a folder: a FIFO waits for a
// writer (or reader) for ever and a device may never end, so neither is opened to read or append.
bool isSpecialFile(const QString& path);
inline constexpr char kSpecialFileError[] = "it is not a regular file";
// Opens a regular file with open(2)'s flags, never waiting on a FIFO or a device: anything else is
// refused by its type first (errno EISDIR for a folder, EINVAL for the rest), and O_NONBLOCK keeps
// one swapped in after the look from blocking the open. -1 with errno on failure; `info`, when
// given, gets the file's status.
int openRegularFile(const QByteArray& encodedPath, int flags, struct stat* info = nullptr);
// A failure of openRegularFile or of a read, in words.
QString fileErrorText(int error);

// Reads every line as the system's line reader does: a line ends at CR LF, CR or LF; a last line
// without an end still counts; an empty file holds no line.
ReadResult readTextLines(const QString& path);
QStringList splitTextLines(const QByteArray& bytes);

// The file's size in bytes; 0 for a file that is not there. Both are plain system calls: the
// transfer asks them once for every node of a distribution.
qint64 fileSize(const QString& path);
// The file's first bytes, at most `limit` of them; false when it cannot be opened or read.
bool readFileBytes(const QString& path, qint64 limit, QByteArray& bytes);

// True for a file that this user may not write, or that nobody may write: a read-only file is left
// alone even by the administrator, who may write anything.
bool isWriteProtected(const QString& path);

// Replaces the whole file atomically: on failure the old content stays and the error is returned.
// A write-protected file is never replaced, whoever runs the program.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);
// flock(2) on the open file, again when a signal cuts the wait short; false with errno on failure.
bool lockFile(int fd, int operation);
// Appends to the file, creating it when it is missing. An append that cannot be written whole
// (a full disk) is taken back: the file keeps exactly what it held before. Appends by other copies
// of the program wait for each other, so their records never interleave.
bool appendToFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The one conversion between text and the bytes of files and the wire. Every byte reads as a
// character and writes back as the same byte; a character the code page lacks is written as "?".
QString fromAnsi(QByteArrayView bytes);
QByteArray toAnsi(const QString& text);
// True when the code page holds the character, so that it reads back as itself.
bool inAnsi(QChar c);
// A computer or group name in capitals, as the desktops' own upper-casing gives it: a letter whose
// capital the code page lacks (µ) stays as it is, so the name reads back from a file unchanged.
QString upperName(const QString& name);

// Every line followed by CR LF, as the writers put them.
QByteArray crlfLines(const QStringList& lines);
// The value with each CR and LF in it turned into a space. The settings and schedule files are
// read by line position: a line break inside a value would move every later line.
QString oneLine(QString value);
// Key lines, each kept on one line (oneLine) and followed by CR LF.
QByteArray keyLines(const QStringList& lines);

// A settings or schedule line's value: the text between its first and second "=".
// False when the line holds no "=".
bool keyValue(const QString& line, QString& value);

} // namespace corvane

namespace corvane {
// Converts a text to a 16-bit signed integer as the system's conversion does: blanks around it are
// allowed, a fraction is rounded to the nearest whole number (a half to the even one). False for a
// text that is no number or lies outside -32768..32767.
bool toInt16(const QString& text, std::int16_t& value);
} // namespace corvane
