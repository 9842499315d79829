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

#include <dirent.h>
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

bool appendToFile(const QString& path, const QByteArray& bytes, QString* error, bool* changed)
{
    if (changed)
        *changed = false;
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const FileDescriptor fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT);
    if (!fd.isOpen())
        return fail(fileErrorText(errno));
    // Other copies of the program append to the same logs: while this append and its undo run, no
    // other may, so records never interleave and an undo never cuts another's record. Without the
    // lock that cannot be promised, so nothing is written.
    if (!lockFile(fd.get(), LOCK_EX))
        return fail(QStringLiteral("it could not be locked against other copies of the program: ") +
                    fileErrorText(errno));
    // The length before is what a failed append is cut back to; unknown, nothing is written.
    struct stat before {};
    if (::fstat(fd.get(), &before) != 0)
        return fail(fileErrorText(errno));
    const int cause = writeAll(fd.get(), bytes, -1);
    if (!cause)
        return true;
    // Part of a record would be read as a whole one: what was added is taken away again.
    struct stat after {};
    if ((::fstat(fd.get(), &after) == 0 && after.st_size == before.st_size) ||
        ::ftruncate(fd.get(), before.st_size) == 0)
        return fail(fileErrorText(cause));
    const int cut = errno;
    if (changed)
        *changed = true;
    return fail(fileErrorText(cause) + QStringLiteral("; the part written could not be taken back: ") +
                fileErrorText(cut));
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

// While a save runs, its new file is named after the target: a dot, the target's name, a dot and
// this many letters and digits. A file of that name that no save holds locked was left by a save
// that was stopped, and the next save of that target removes it.
constexpr qsizetype kTailLength = 13;

QByteArray temporaryPrefix(const QByteArray& path)
{
    return '.' + path.mid(path.lastIndexOf('/') + 1) + '.';
}

QByteArray temporaryName(const QByteArray& path)
{
    const QByteArray tail = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    return folderOf(path) + temporaryPrefix(path) + tail.rightJustified(kTailLength, '0');
}

bool isTemporaryName(const QByteArray& entry, const QByteArray& prefix)
{
    return entry.size() == prefix.size() + kTailLength && entry.startsWith(prefix) &&
           std::all_of(entry.cbegin() + prefix.size(), entry.cend(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes what stopped saves of the file at `path` left beside it. A save holds its new file locked
// while it has a name; one that is not locked is nobody's.
void removeLeftovers(const QByteArray& path)
{
    const QByteArray prefix = temporaryPrefix(path);
    DIR* folder = ::opendir(folderOf(path).constData());
    if (!folder)
        return;
    const int at = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        struct stat seen {};
        // The type is looked at first: opening a device can act on it.
        if (!isTemporaryName(name, prefix) || ::fstatat(at, name.constData(), &seen, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(seen.st_mode) || seen.st_nlink != 1)
            continue;
        const FileDescriptor fd(
            ::openat(at, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (!fd.isOpen() || ::fstat(fd.get(), &opened) != 0 || !sameFile(opened, seen) ||
            !lockFile(fd.get(), LOCK_EX | LOCK_NB))
            continue;
        // Its save may have renamed it over the target and let it go meanwhile.
        struct stat now {};
        if (::fstatat(at, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, opened))
            ::unlinkat(at, name.constData(), 0);
    }
    ::closedir(folder);
}

// The new file of a save, in the target's folder. Where the file system allows, it has no name
// until its content is complete, so that a save stopped before then leaves nothing behind.
struct NewFile {
    FileDescriptor fd;
    QByteArray name; // empty while it has none
};

// Gives the file its name, locked first so that no other save takes it for a leftover. 0, or the
// error number.
int nameNewFile(const QByteArray& path, NewFile& file)
{
    // Where the file system keeps no locks, no other save can lock the file to remove it either.
    lockFile(file.fd.get(), LOCK_EX);
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(path);
        int result = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
        // Without /proc, the administrator may link the descriptor itself.
        if (result != 0 && errno == ENOENT)
            result = ::linkat(file.fd.get(), "", AT_FDCWD, name.constData(), AT_EMPTY_PATH);
        if (result == 0) {
            file.name = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// A new, empty file for the save, that nobody but this user may read: `mode` 0600 keeps it private
// until the old file's owner and mode are given to it. 0, or the error number.
int createNewFile(const QByteArray& path, mode_t mode, NewFile& file)
{
    file.fd.reset(::open(folderOf(path).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (file.fd.isOpen())
        return 0;
    // A file system without unnamed files (or a kernel without them, which takes the flag for a
    // folder's) gets a named file; a save stopped meanwhile leaves it for the next save to remove.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.name = temporaryName(path);
        file.fd.reset(::open(file.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!file.fd.isOpen()) {
            file.name.clear();
            if (errno == EEXIST)
                continue;
            return errno;
        }
        // Another save may have found it before the lock and taken it for a leftover. (Where the
        // file system keeps no locks, no save can take it for one.)
        lockFile(file.fd.get(), LOCK_EX);
        struct stat named {
        }, opened{};
        if (::stat(file.name.constData(), &named) == 0 && ::fstat(file.fd.get(), &opened) == 0 &&
            sameFile(named, opened))
            return 0;
    }
    file.name.clear();
    file.fd.reset();
    return EEXIST;
}

struct RenameOutcome {
    int error = 0;
    // The rename could not be done, but the file may still be written in place: the folder takes no
    // new file (or no new file that carries everything), or the file is mounted over its entry.
    bool inPlace = false;
    bool mountPoint = false;
    // The new file took the old one's place, but the folder could not be flushed: a crash may yet
    // bring the old one back.
    bool changed = false;
};

RenameOutcome renameOver(const QByteArray& path, QByteArrayView bytes, const OldFile* old, bool carryAll)
{
    removeLeftovers(path);
    NewFile fresh;
    // A file that is not there yet keeps nobody out: it gets the mode every new file of the operator gets.
    if (const int error = createNewFile(path, old ? 0600 : 0666, fresh))
        return {error, true};
    const auto discard = [&fresh](int error, bool inPlace, bool mountPoint = false) {
        if (!fresh.name.isEmpty())
            ::unlink(fresh.name.constData());
        return RenameOutcome{error, inPlace, mountPoint};
    };
    // Who may read the new file is settled before it holds a byte of the new content. A new file that
    // cannot carry all of it would change who may read the file.
    if (old) {
        if (const int cause = carryOver(*old, fresh.fd.get(), carryAll))
            return discard(cause, true);
    }
    int error = writeAll(fresh.fd.get(), bytes, 0);
    // A write by a user without the right to keep them takes the set-user and set-group bits away.
    struct stat written {};
    if (!error && old && ::fstat(fresh.fd.get(), &written) == 0 &&
        (written.st_mode & 07777) != (old->info.st_mode & 07777) &&
        ::fchmod(fresh.fd.get(), old->info.st_mode & 07777) != 0)
        error = errno;
    if (!error && ::fsync(fresh.fd.get()) != 0)
        error = errno;
    // The folder's file system is full, which need not hold the file itself (a mounted hosts file),
    // nor keep the file from taking a text that fits where the old one stands.
    if (error)
        return discard(error, error == ENOSPC || error == EDQUOT);
    if (fresh.name.isEmpty()) {
        if (const int cause = nameNewFile(path, fresh))
            return discard(cause, cause == EACCES || cause == EPERM);
    }
    if (::rename(fresh.name.constData(), path.constData()) != 0) {
        const int cause = errno;
        const bool mounted = cause == EBUSY || cause == EXDEV;
        return discard(cause, mounted || cause == EACCES || cause == EPERM, mounted);
    }
    fresh.fd.reset();
    // Only a flushed folder keeps the new name after a crash. A file system that keeps nothing to
    // flush says so with EINVAL.
    const FileDescriptor folder(::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen() || (::fsync(folder.get()) != 0 && errno != EINVAL))
        return {errno, false, false, true};
    return {};
}

QString saveErrorText(const RenameOutcome& outcome)
{
    return outcome.changed ? QStringLiteral("the disk did not confirm the change: ") + fileErrorText(outcome.error)
                           : fileErrorText(outcome.error);
}

FileSave renamed(const RenameOutcome& outcome)
{
    if (!outcome.error)
        return saved(SaveWay::ReplaceByRename);
    return {outcome.error, saveErrorText(outcome), outcome.changed, outcome.mountPoint, SaveWay::ReplaceByRename};
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

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error, bool* changed)
{
    if (changed)
        *changed = false;
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
    if (changed)
        *changed = outcome.changed;
    return outcome.error ? fail(saveErrorText(outcome)) : true;
}

FileSave replaceByRename(const QString& path, QByteArrayView bytes)
{
    OldFile old;
    bool missing = false;
    if (!findOld(path, old, missing))
        return failed(errno, SaveWay::ReplaceByRename);
    return renamed(renameOver(old.path, bytes, missing ? nullptr : &old, true));
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
    if (!outcome.error || missing || !outcome.inPlace)
        return renamed(outcome);
    return inPlace(old.path, bytes, kBlankLine, outcome.mountPoint, {});
}

} // namespace corvane
