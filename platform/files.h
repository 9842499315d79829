#pragma once
// The program's files as the system holds them, in bytes. Every file is opened through one opener,
// which never waits on a FIFO or a device; one loop reads a file whole and one writes bytes whole;
// a file written whole is saved one of two named ways (a new file that takes the old one's place by
// rename, or the old file written in place), and an append waits for the lock that other copies of
// the program take. The text these files hold is the codec's (engine/textfile.h).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <utility>

namespace corvane {

// Owns one open file descriptor and closes it when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes the descriptor held, if any, and holds this one; errno stays as it was.
    void reset(int fd = -1);

private:
    int fd_;
};

inline constexpr char kSpecialFileError[] = "it is not a regular file";
// Opens a regular file with open(2)'s flags (with O_CREAT a missing one is made, with the mode every
// new file of the operator gets), never waiting on a FIFO or a device: anything else is refused by
// its type before it is opened (errno EISDIR for a folder, EINVAL for the rest), and O_NONBLOCK
// keeps one swapped in after the look from blocking the open. Not open, with errno, on failure;
// `info`, when given, gets the file's status.
FileDescriptor openRegularFile(const QString& path, int flags, struct stat* info = nullptr);
// A failure of the opener, a read or a write, in words.
QString fileErrorText(int error);

// Reads the open file from its start to its end, or to `limit` bytes, whichever comes first;
// `expected` (its size as last seen) sizes the first read. 0, or the error number of the read that
// failed.
int readAll(int fd, QByteArray& bytes, qint64 limit = std::numeric_limits<qint64>::max(), qint64 expected = 0);
// Writes every byte at `offset`, or where the file's position stands (an append) when `offset` is
// negative. 0, or the error number of the write that failed (EIO for one that wrote nothing).
int writeAll(int fd, QByteArrayView bytes, qint64 offset);

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
    static constexpr qsizetype kBlock = 1 << 20;
    // An empty reader when the file cannot be opened.
    explicit FileLineReader(const QString& path, qsizetype block = kBlock);
    bool next(QByteArrayView& line);
    // Why the file could not be opened (ENOENT when it is not there); 0 when it was.
    int openError() const { return openError_; }
    // Why a file that is there could not be read to its end; empty when it could, and for a file
    // that does not exist.
    const QString& error() const { return error_; }

private:
    FileDescriptor fd_;
    int openError_ = 0;
    qsizetype blockSize_;
    bool end_ = false;
    QString error_;
    QByteArray block_;
    qsizetype filled_ = 0;
    TextLineCursor cursor_{QByteArrayView()};
};

// The file's size in bytes; 0 for a file that is not there. Both are plain system calls: the
// transfer asks them once for every node of a distribution.
qint64 fileSize(const QString& path);
// The file's first bytes, at most `limit` of them; false when it cannot be opened or read.
bool readFileBytes(const QString& path, qint64 limit, QByteArray& bytes);

// True for a file that this user may not write, or that nobody may write: a read-only file is left
// alone even by the administrator, who may write anything.
bool isWriteProtected(const QString& path);
// Replaces the whole file by rename, so that it holds the old content or the new, never a part: on
// failure the old content stays and the error is returned. The new file keeps the old one's mode
// and, where this user may give them, its owner and extended attributes, from before it holds a
// byte of the new content; until then nobody else may read it. Where the file system allows, it has
// no name until it is complete; a named one that a stopped save left is removed by the next save of
// the file. A write-protected file is never replaced, whoever runs the program.
// `changed`, when given, tells a failure after which the file already holds the new content: the
// folder could not be flushed, so a crash may still bring the old one back.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr, bool* changed = nullptr);
// flock(2) on the open file, again when a signal cuts the wait short; false with errno on failure.
bool lockFile(int fd, int operation);
// Appends to the file, creating it when it is missing. An append that cannot be written whole
// (a full disk) is taken back: the file keeps exactly what it held before. Appends by other copies
// of the program wait for each other, so their records never interleave; where the lock cannot be
// taken, nothing is appended. `changed`, when given, tells a failure whose part-written bytes could
// not be taken back.
bool appendToFile(const QString& path, const QByteArray& bytes, QString* error = nullptr, bool* changed = nullptr);

// The system's hosts file. Other programs own and read it, so it is opened only when it is a plain
// file and saved with everything it carried. A hosts file is a few kilobytes; anything near this
// size is some other file named by mistake.
inline constexpr qint64 kHostsFileLimit = 16 * 1024 * 1024;
enum class HostsFileRead { Read, Missing, TooLarge };
// True when the path names a regular file that can be opened for reading.
bool hostsFileOpens(const QString& path);
// The whole file; anything but a regular file that can be read counts as missing.
HostsFileRead readHostsFile(const QString& path, QByteArray& bytes);

// The two ways a file that others own is saved.
enum class SaveWay {
    // A new file beside the old one, carrying the old one's owner, mode, ACL and other extended
    // attributes, takes its place at once: a reader sees the old content or the new.
    ReplaceByRename,
    // The old file's own bytes are written over, so that its inode, owner, mode, attributes and
    // other names stay its own.
    WriteInPlace,
};

struct FileSave {
    int error = 0;           // 0 when saved, else the system's error number
    QString reason;          // the failure in words
    bool changed = false;    // after a failure: the file no longer holds what it held (by rename: the new
                             // content is in place, but the folder was not flushed)
    bool mountPoint = false; // the file is mounted over its folder's entry, as a container's hosts file is
    SaveWay way = SaveWay::ReplaceByRename; // the way taken (the last one tried, after a failure)
};

// Saves by rename (a missing file is made new). Everything the old file carried goes over to the new
// one, or the old file stays as it was.
FileSave replaceByRename(const QString& path, QByteArrayView bytes);
// Saves in place, so that a save stopped at any moment leaves the old content or the new one: room
// for a longer text is reserved before a byte is written; a shorter one is written padded to the
// old length with `filler`, a byte the file's format ignores standing alone (a line end makes blank
// lines), and only then is the file cut to its length; a write that fails puts the old content back.
// `step`, when given, runs after each change to the file's content: there the file holds what a
// kill at that moment would leave.
FileSave writeInPlace(const QString& path, QByteArrayView bytes, char filler, const std::function<void()>& step = {});
// Saves the hosts file by rename where its folder takes a new file that carries everything the old
// one did, and in place where it cannot: a folder this user may not write, a folder too full for a
// new file, a file mounted over its folder's entry, or a file with other names (hard links) that a
// rename would leave with the old text.
FileSave saveHostsFile(const QString& path, const QByteArray& bytes);

} // namespace corvane
