#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace corvane {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other)
        reset(std::exchange(other.fd_, -1));
    return *this;
}

void FileDescriptor::reset(int fd)
{
    if (fd_ >= 0 && fd_ != fd) {
        const int saved = errno;
        ::close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

namespace {

// Sets errno for something that is there but is no regular file.
void refuseType(mode_t mode)
{
    errno = S_ISDIR(mode) ? EISDIR : EINVAL;
}

FileDescriptor openRegular(const QByteArray& path, int flags, struct stat* info)
{
    struct stat own {};
    struct stat& status = info ? *info : own;
    // The type is looked at before the open: opening a device can act on it.
    if (::stat(path.constData(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            refuseType(status.st_mode);
            return FileDescriptor();
        }
    } else if (errno != ENOENT || !(flags & O_CREAT)) {
        return FileDescriptor();
    }
    FileDescriptor fd(::open(path.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!fd.isOpen())
        return fd;
    if (::fstat(fd.get(), &status) != 0) {
        fd.reset();
    } else if (!S_ISREG(status.st_mode)) {
        fd.reset();
        refuseType(status.st_mode);
    }
    return fd;
}

} // namespace

FileDescriptor openRegularFile(const QString& path, int flags, struct stat* info)
{
    return openRegular(QFile::encodeName(path), flags, info);
}

QString fileErrorText(int error)
{
    return error == EINVAL ? QLatin1String(kSpecialFileError) : QString::fromLocal8Bit(std::strerror(error));
}

int readAll(int fd, QByteArray& bytes, qint64 limit, qint64 expected)
{
    const qsizetype most = static_cast<qsizetype>(std::clamp<qint64>(limit, 0, std::numeric_limits<qsizetype>::max()));
    qsizetype got = 0;
    // One byte beyond the size expected finds the end in one read.
    bytes.resize(static_cast<qsizetype>(std::min<qint64>(most, std::max<qint64>(expected, 4095) + 1)));
    for (;;) {
        if (got == bytes.size()) {
            if (got >= most)
                break;
            bytes.resize(most - got > got ? got * 2 : most);
        }
        const ssize_t n = ::pread(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : 0;
            bytes.truncate(got);
            return error;
        }
        got += n;
    }
    bytes.truncate(got);
    return 0;
}

int writeAll(int fd, QByteArrayView bytes, qint64 offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const size_t left = static_cast<size_t>(bytes.size() - done);
        const ssize_t n = offset < 0 ? ::write(fd, bytes.data() + done, left)
                                     : ::pwrite(fd, bytes.data() + done, left, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

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

FileLineReader::FileLineReader(const QString& path, qsizetype block) : blockSize_(std::max<qsizetype>(block, 1))
{
    struct stat info {};
    fd_ = openRegularFile(path, O_RDONLY, &info);
    if (!fd_.isOpen()) {
        openError_ = errno;
        end_ = true;
        // A file that is not there yet holds no line; one that is there and cannot be read says why.
        if (openError_ != ENOENT && openError_ != ENOTDIR)
            error_ = fileErrorText(openError_);
        return;
    }
    // A small file is read in a block of its own size, and one byte more to see its end.
    blockSize_ = static_cast<qsizetype>(std::min<qint64>(blockSize_, std::max<qint64>(info.st_size, 4095) + 1));
}

bool FileLineReader::next(QByteArrayView& line)
{
    while (!cursor_.next(line)) {
        if (end_)
            return false;
        // The part line moves to the front of the block; the block grows only for a longer line.
        const qsizetype kept = filled_ - cursor_.position();
        if (block_.size() < kept + blockSize_)
            block_.resize(kept + blockSize_);
        if (cursor_.position() > 0)
            std::memmove(block_.data(), block_.constData() + cursor_.position(), static_cast<size_t>(kept));
        filled_ = kept;
        // The part line holds no line end, but for a CR as its last byte that may start a CR LF.
        const qsizetype lineFree = kept > 0 && block_[kept - 1] == '\r' ? kept - 1 : kept;
        ssize_t got = 0;
        do
            got = ::read(fd_.get(), block_.data() + filled_, static_cast<size_t>(block_.size() - filled_));
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
    struct stat info {};
    const FileDescriptor fd = openRegularFile(path, O_RDONLY, &info);
    return fd.isOpen() && readAll(fd.get(), bytes, limit, info.st_size) == 0;
}

bool isWriteProtected(const QString& path)
{
    const QFileInfo file(path);
    return !file.isWritable() || !(file.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
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
    const auto fail = [error](int cause) {
        if (error)
            *error = fileErrorText(cause);
        return false;
    };
    const FileDescriptor fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT);
    if (!fd.isOpen())
        return fail(errno);
    // Other copies of the program append to the same logs: while this append and its undo run, no
    // other may, so records never interleave and an undo never cuts another's record.
    lockFile(fd.get(), LOCK_EX);
    struct stat info {};
    const bool sized = ::fstat(fd.get(), &info) == 0;
    if (const int cause = writeAll(fd.get(), bytes, -1)) {
        // Part of a record would be read as a whole one: what was added is taken away again.
        if (sized)
            ::ftruncate(fd.get(), info.st_size);
        return fail(cause);
    }
    return true;
}

bool hostsFileOpens(const QString& path)
{
    return !path.isEmpty() && openRegularFile(path, O_RDONLY).isOpen();
}

HostsFileRead readHostsFile(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    struct stat info {};
    const FileDescriptor fd = path.isEmpty() ? FileDescriptor() : openRegularFile(path, O_RDONLY, &info);
    if (!fd.isOpen())
        return HostsFileRead::Missing;
    if (info.st_size > kHostsFileLimit)
        return HostsFileRead::TooLarge;
    // One byte beyond the limit tells a file that grew since its size was taken.
    if (readAll(fd.get(), bytes, kHostsFileLimit + 1, info.st_size) != 0) {
        bytes.clear();
        return HostsFileRead::Missing;
    }
    if (bytes.size() > kHostsFileLimit) {
        bytes.clear();
        return HostsFileRead::TooLarge;
    }
    return HostsFileRead::Read;
}

namespace {

FileSave saved(SaveWay way)
{
    FileSave save;
    save.way = way;
    return save;
}

FileSave failed(int error, SaveWay way, bool changed = false, bool mountPoint = false)
{
    return {error, fileErrorText(error), changed, mountPoint, way};
}

// The file a path names, a link followed: the one the system reads. For a path where nothing is yet,
// the path as given with `missing` set; empty with errno when the path cannot be followed (a link
// to nothing among them: nothing is made at its far end).
QByteArray resolvedPath(const QString& name, bool& missing)
{
    const QByteArray given = QFile::encodeName(name);
    char resolved[PATH_MAX];
    missing = false;
    if (::realpath(given.constData(), resolved))
        return QByteArray(resolved);
    if (errno != ENOENT)
        return {};
    struct stat link {};
    if (::lstat(given.constData(), &link) == 0) {
        errno = ENOENT;
        return {};
    }
    missing = true;
    return given;
}

// The folder that holds the file, with its closing slash.
QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArrayLiteral("./") : path.left(slash + 1);
}

// The file as it stood before a save.
struct OldFile {
    QByteArray path;
    struct stat info {};
};

std::set<std::string> attributeNames(const char* path, int fd)
{
    std::set<std::string> names;
    const ssize_t size = fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path, nullptr, 0);
    if (size <= 0)
        return names;
    std::string list(static_cast<size_t>(size), '\0');
    const ssize_t got =
        fd >= 0 ? ::flistxattr(fd, list.data(), list.size()) : ::listxattr(path, list.data(), list.size());
    for (size_t at = 0; got > 0 && at < static_cast<size_t>(got); at += std::strlen(list.c_str() + at) + 1)
        names.insert(list.c_str() + at);
    return names;
}

// Gives the new file exactly the old one's extended attributes: the POSIX ACL
// (system.posix_acl_access), the security label and the user's own attributes; one the new file
// inherited from its folder (a default ACL) and the old one lacks is removed. 0, or the error number
// of the first attribute that could not be carried over.
int copyAttributes(const QByteArray& from, int to)
{
    const std::set<std::string> wanted = attributeNames(from.constData(), -1);
    for (const std::string& name : attributeNames(nullptr, to)) {
        if (!wanted.count(name) && ::fremovexattr(to, name.c_str()) != 0)
            return errno;
    }
    for (const std::string& name : wanted) {
        errno = 0;
        const ssize_t size = ::getxattr(from.constData(), name.c_str(), nullptr, 0);
        std::string value(static_cast<size_t>(std::max<ssize_t>(size, 0)), '\0');
        if (size < 0 || ::getxattr(from.constData(), name.c_str(), value.data(), value.size()) != size ||
            ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return errno ? errno : EIO;
    }
    return 0;
}

// Gives the new file the old one's owner, extended attributes and mode. With `all`, 0 or the error
// number of the first that could not be carried over; otherwise only the mode must be: the owner
// and attributes go over where this user may give them.
int carryOver(const OldFile& old, int to, bool all)
{
    struct stat now {};
    if (::fstat(to, &now) != 0)
        return errno;
    // Owner first (a change of owner clears some attributes), the mode last (it is the ACL's mask).
    if ((now.st_uid != old.info.st_uid || now.st_gid != old.info.st_gid) &&
        ::fchown(to, old.info.st_uid, old.info.st_gid) != 0 && all)
        return errno;
    if (const int error = copyAttributes(old.path, to); error && all)
        return error;
    return ::fchmod(to, old.info.st_mode & 07777) == 0 ? 0 : errno;
}

// A new, empty file beside the one at `path`, named after it, with the mode every new file of the
// operator gets.
FileDescriptor createBeside(const QByteArray& path, QByteArray& name)
{
    const QByteArray stem = folderOf(path) + '.' + path.mid(path.lastIndexOf('/') + 1) + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        FileDescriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.isOpen() || errno != EEXIST)
            return fd;
    }
    return FileDescriptor();
}

struct RenameOutcome {
    int error = 0;
    // The rename could not be done, but the file may still be written in place: the folder takes no
    // new file (or no new file that carries everything), or the file is mounted over its entry.
    bool inPlace = false;
    bool mountPoint = false;
};

RenameOutcome renameOver(const QByteArray& path, QByteArrayView bytes, const OldFile* old, bool carryAll)
{
    QByteArray name;
    const FileDescriptor fresh = createBeside(path, name);
    if (!fresh.isOpen())
        return {errno, true};
    const auto discard = [&name](int error, bool inPlace, bool mountPoint = false) {
        ::unlink(name.constData());
        return RenameOutcome{error, inPlace, mountPoint};
    };
    int error = writeAll(fresh.get(), bytes, 0);
    if (!error && ::fsync(fresh.get()) != 0)
        error = errno;
    // The folder's file system is full, which need not hold the file itself (a mounted hosts file),
    // nor keep the file from taking a text that fits where the old one stands.
    if (error)
        return discard(error, error == ENOSPC || error == EDQUOT);
    if (old) {
        // A new file that cannot carry all of it would change who may read the file.
        if (const int cause = carryOver(*old, fresh.get(), carryAll))
            return discard(cause, true);
    }
    if (::rename(name.constData(), path.constData()) != 0) {
        const int cause = errno;
        const bool mounted = cause == EBUSY || cause == EXDEV;
        return discard(cause, mounted || cause == EACCES || cause == EPERM, mounted);
    }
    const FileDescriptor folder(::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen())
        ::fsync(folder.get());
    return {};
}

// The old file as it stands, a link followed; false with errno for anything but a regular file.
bool findOld(const QString& name, OldFile& old, bool& missing)
{
    old.path = resolvedPath(name, missing);
    if (old.path.isEmpty())
        return false;
    if (missing)
        return true;
    if (::stat(old.path.constData(), &old.info) != 0)
        return false;
    if (!S_ISREG(old.info.st_mode)) {
        refuseType(old.info.st_mode);
        return false;
    }
    return true;
}

// Writes the bytes over the start of the file; fewer than `length` are followed by filler up to it,
// so that the file holds the whole new text, and nothing of the old one, before it is cut.
int overwrite(int fd, QByteArrayView bytes, qint64 length, char filler)
{
    if (bytes.size() >= length)
        return writeAll(fd, bytes, 0);
    QByteArray padded(length, filler);
    std::memcpy(padded.data(), bytes.data(), static_cast<size_t>(bytes.size()));
    return writeAll(fd, padded, 0);
}

FileSave inPlace(const QByteArray& path, QByteArrayView bytes, char filler, bool mountPoint,
                 const std::function<void()>& step)
{
    const auto fail = [mountPoint](int error, bool changed = false) {
        return failed(error, SaveWay::WriteInPlace, changed, mountPoint);
    };
    const auto changedNow = [&step] {
        if (step)
            step();
    };
    struct stat info {};
    const FileDescriptor fd = openRegular(path, O_RDWR, &info);
    if (!fd.isOpen())
        return fail(errno);
    QByteArray old;
    if (const int error = readAll(fd.get(), old, std::numeric_limits<qint64>::max(), info.st_size))
        return fail(error);
    // The room is taken before a byte is written: a full disk refuses here, with the file untouched.
    if (bytes.size() > old.size() && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, bytes.size()) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return fail(errno);
    int error = overwrite(fd.get(), bytes, old.size(), filler);
    changedNow();
    if (!error && ::ftruncate(fd.get(), bytes.size()) != 0)
        error = errno;
    if (!error) {
        changedNow();
        if (::fsync(fd.get()) != 0)
            return fail(errno, true);
        FileSave save = saved(SaveWay::WriteInPlace);
        save.mountPoint = mountPoint;
        return save;
    }
    // The old content goes back the same way, over whatever length the failed write left.
    struct stat now {};
    const qint64 length = ::fstat(fd.get(), &now) == 0 ? now.st_size : old.size();
    const bool restored = overwrite(fd.get(), old, length, filler) == 0 && ::ftruncate(fd.get(), old.size()) == 0 &&
                          ::fsync(fd.get()) == 0;
    changedNow();
    return fail(error, !restored);
}

} // namespace

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    OldFile old;
    bool missing = false;
    if (!findOld(path, old, missing))
        return fail(fileErrorText(errno));
    // A new file would take the old one's place with the usual mode: the protection would be lost with
    // the content.
    if (!missing && isWriteProtected(path))
        return fail(QStringLiteral("the file is write-protected"));
    const RenameOutcome outcome = renameOver(old.path, bytes, missing ? nullptr : &old, false);
    return outcome.error ? fail(fileErrorText(outcome.error)) : true;
}

FileSave replaceByRename(const QString& path, QByteArrayView bytes)
{
    OldFile old;
    bool missing = false;
    if (!findOld(path, old, missing))
        return failed(errno, SaveWay::ReplaceByRename);
    const RenameOutcome outcome = renameOver(old.path, bytes, missing ? nullptr : &old, true);
    return outcome.error ? failed(outcome.error, SaveWay::ReplaceByRename, false, outcome.mountPoint)
                         : saved(SaveWay::ReplaceByRename);
}

FileSave writeInPlace(const QString& path, QByteArrayView bytes, char filler, const std::function<void()>& step)
{
    return inPlace(QFile::encodeName(path), bytes, filler, false, step);
}

FileSave saveHostsFile(const QString& path, const QByteArray& bytes)
{
    // A line end standing alone is a blank line, which the hosts format ignores.
    constexpr char kBlankLine = '\n';
    OldFile old;
    bool missing = false;
    if (!findOld(path, old, missing))
        return failed(errno, SaveWay::ReplaceByRename);
    if (!missing && old.info.st_nlink > 1)
        return inPlace(old.path, bytes, kBlankLine, false, {});
    // A file of another file system than its folder's is mounted over its entry: no rename replaces it.
    struct stat folder {};
    if (!missing && ::stat(folderOf(old.path).constData(), &folder) == 0 && folder.st_dev != old.info.st_dev)
        return inPlace(old.path, bytes, kBlankLine, true, {});
    const RenameOutcome outcome = renameOver(old.path, bytes, missing ? nullptr : &old, true);
    if (!outcome.error)
        return saved(SaveWay::ReplaceByRename);
    if (missing || !outcome.inPlace)
        return failed(outcome.error, SaveWay::ReplaceByRename);
    return inPlace(old.path, bytes, kBlankLine, outcome.mountPoint, {});
}

} // namespace corvane
