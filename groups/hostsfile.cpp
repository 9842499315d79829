#include "groups/hostsfile.h"

#include "engine/textfile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace corvane {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads to the end of the file or to `limit` bytes, whichever comes first. 0, or the error number
// of the read that failed.
int readUpTo(int fd, QByteArray& bytes, qsizetype expected, qsizetype limit)
{
    qsizetype got = 0;
    bytes.resize(std::min(limit, std::max<qsizetype>(expected + 1, 4096)));
    for (;;) {
        if (got == bytes.size()) {
            if (got >= limit)
                break;
            bytes.resize(std::min(limit, got * 2));
        }
        const ssize_t n = ::pread(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return 0;
}

int writeAt(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

std::set<std::string> attributeNames(int fd)
{
    std::set<std::string> names;
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size <= 0)
        return names;
    std::string list(static_cast<size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    for (size_t at = 0; got > 0 && at < static_cast<size_t>(got); at += std::strlen(list.c_str() + at) + 1)
        names.insert(list.c_str() + at);
    return names;
}

// Gives the new file exactly the old one's extended attributes: the POSIX ACL
// (system.posix_acl_access), the security label and the user's own attributes; one the new file
// inherited from its folder (a default ACL) and the old one lacks is removed. 0, or the error number
// of the first attribute that could not be carried over.
int copyAttributes(int from, int to)
{
    const std::set<std::string> wanted = attributeNames(from);
    for (const std::string& name : attributeNames(to)) {
        if (!wanted.count(name) && ::fremovexattr(to, name.c_str()) != 0)
            return errno;
    }
    for (const std::string& name : wanted) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        std::string value(static_cast<size_t>(std::max<ssize_t>(size, 0)), '\0');
        if (size < 0 || ::fgetxattr(from, name.c_str(), value.data(), value.size()) != size ||
            ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return errno ? errno : EIO;
    }
    return 0;
}

SystemFileSave failed(int error, bool changed = false, bool mountPoint = false)
{
    return {error, fileErrorText(error), changed, mountPoint};
}

// Writes over the file's own bytes, so that its inode, owner, mode and attributes stay its own.
SystemFileSave writeInPlace(const QByteArray& path, const QByteArray& bytes, bool mountPoint)
{
    struct stat info {};
    const Descriptor fd(openRegularFile(path, O_RDWR, &info));
    if (fd.get() < 0)
        return failed(errno, false, mountPoint);
    QByteArray old;
    if (const int error = readUpTo(fd.get(), old, info.st_size, std::numeric_limits<qsizetype>::max()))
        return failed(error, false, mountPoint);
    // The room is taken before a byte is written: a full disk refuses here, with the file untouched.
    if (bytes.size() > old.size() && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, bytes.size()) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return failed(errno, false, mountPoint);
    int error = writeAt(fd.get(), bytes);
    if (!error && ::ftruncate(fd.get(), bytes.size()) != 0)
        error = errno;
    if (!error)
        return ::fsync(fd.get()) == 0 ? SystemFileSave{} : failed(errno, true, mountPoint);
    // The old content fits where it stood before.
    const bool restored =
        writeAt(fd.get(), old) == 0 && ::ftruncate(fd.get(), old.size()) == 0 && ::fsync(fd.get()) == 0;
    return failed(error, !restored, mountPoint);
}

// A file that was not there is made new, with the mode every new file of the operator gets.
SystemFileSave createNew(const QByteArray& path, const QByteArray& bytes)
{
    const Descriptor fd(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return failed(errno);
    const int error = writeAt(fd.get(), bytes);
    if (error || ::fsync(fd.get()) != 0) {
        ::unlink(path.constData());
        return failed(error ? error : errno);
    }
    return {};
}

} // namespace

bool hostsFileOpens(const QString& path)
{
    struct stat info {};
    const Descriptor fd(path.isEmpty() ? -1 : openRegularFile(QFile::encodeName(path), O_RDONLY, &info));
    return fd.get() >= 0;
}

HostsFileRead readHostsFile(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    struct stat info {};
    const Descriptor fd(path.isEmpty() ? -1 : openRegularFile(QFile::encodeName(path), O_RDONLY, &info));
    if (fd.get() < 0)
        return HostsFileRead::Missing;
    if (info.st_size > kHostsFileLimit)
        return HostsFileRead::TooLarge;
    // One byte beyond the limit tells a file that grew since its size was taken.
    if (readUpTo(fd.get(), bytes, info.st_size, kHostsFileLimit + 1) != 0) {
        bytes.clear();
        return HostsFileRead::Missing;
    }
    if (bytes.size() > kHostsFileLimit) {
        bytes.clear();
        return HostsFileRead::TooLarge;
    }
    return HostsFileRead::Read;
}

SystemFileSave replaceSystemFile(const QString& name, const QByteArray& bytes)
{
    // A link is followed: the file it names is the one the system reads.
    char resolved[PATH_MAX];
    const QByteArray given = QFile::encodeName(name);
    if (!::realpath(given.constData(), resolved))
        return errno == ENOENT ? createNew(given, bytes) : failed(errno);
    const QByteArray path(resolved);

    struct stat info {};
    const Descriptor old(openRegularFile(path, O_RDONLY, &info));
    if (old.get() < 0)
        return failed(errno);

    const qsizetype slash = path.lastIndexOf('/');
    QByteArray temp = path.left(slash + 1) + '.' + path.mid(slash + 1) + ".XXXXXX";
    const Descriptor fresh(::mkostemp(temp.data(), O_CLOEXEC));
    if (fresh.get() < 0)
        return writeInPlace(path, bytes, false);
    if (const int error = writeAt(fresh.get(), bytes); error || ::fsync(fresh.get()) != 0) {
        const int cause = error ? error : errno;
        ::unlink(temp.constData());
        // The folder's file system is full, which need not be the file's own (a mounted hosts file):
        // in place, the room is asked of the file's file system before a byte is written.
        if (cause == ENOSPC || cause == EDQUOT)
            return writeInPlace(path, bytes, false);
        return failed(cause);
    }
    // Owner first (a change of owner clears some attributes), the mode last (it is the ACL's mask).
    // A new file that cannot carry all of it would change who may read the hosts file: the old one
    // is written in place instead.
    const bool carried = ::fchown(fresh.get(), info.st_uid, info.st_gid) == 0 &&
                         copyAttributes(old.get(), fresh.get()) == 0 &&
                         ::fchmod(fresh.get(), info.st_mode & 07777) == 0;
    if (carried && ::rename(temp.constData(), path.constData()) == 0) {
        const Descriptor folder(::open(path.left(slash + 1).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
        return {};
    }
    const int error = carried ? errno : 0;
    ::unlink(temp.constData());
    if (carried && error != EBUSY && error != EXDEV && error != EACCES && error != EPERM)
        return failed(error);
    return writeInPlace(path, bytes, error == EBUSY || error == EXDEV);
}

} // namespace corvane
