// The file unit on its own, against real files: the opener, the line reader, the hosts file's limit,
// the two ways of saving, the append's lock, and saves that are watched, stopped or fail part-way.
#include "engine/textfile.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// Faults that a system gives rarely, asked for by a test: this program's flock, fsync and open stand
// in front of the C library's, for the file unit's calls as for any other.
std::atomic<bool> noLocks = false;        // flock fails as where the file system keeps no locks
std::atomic<bool> noFolderFlush = false;  // a folder's fsync fails as on a failing disk
std::atomic<bool> noUnnamedFiles = false; // the file system makes no O_TMPFILE files

} // namespace

extern "C" int flock(int fd, int operation) noexcept
{
    if (noLocks) {
        errno = ENOLCK;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

extern "C" int fsync(int fd)
{
    struct stat info {};
    if (noFolderFlush && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int open(const char* path, int flags, ...)
{
    int mode = 0;
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, int);
        va_end(args);
    }
    if (noUnnamedFiles && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

namespace {

class Files : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
        out.write(bytes);
    }
    static QByteArray read(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(unreadable)");
    }
    static struct stat status(const QString& file)
    {
        struct stat info {};
        ::stat(QFile::encodeName(file).constData(), &info);
        return info;
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    QTemporaryDir dir;
};

// The two ways a new file of a save is made: without a name until it is complete, and named from
// the start where the file system cannot make one without.
struct Unnamed {
    const char* name;
    bool available;
};
constexpr Unnamed kNewFiles[] = {{"unnamed", true}, {"named", false}};

const QByteArray kOld = "127.0.0.1 localhost\n10.0.0.5 pc5\n10.0.0.6 pc6\n";

} // namespace

TEST_F(Files, ACrLfAtEveryPlaceAroundABlockBoundaryEndsOneLine)
{
    struct Shape {
        const char* after; // what follows the first line's text
        QStringList lines; // the lines after the first
    };
    const Shape shapes[] = {
        {"\r\nb\r\n", {"b"}}, {"\r\nb", {"b"}},         {"\rb", {"b"}},
        {"\r", {}},           {"\r\n\r\nb", {"", "b"}}, {"\n\rb", {"", "b"}},
    };
    const QString file = path("lines");
    for (const qsizetype block : {1, 2, 3, 4, 7}) {
        for (qsizetype at = 0; at <= 2 * block + 1; ++at) {
            for (const Shape& shape : shapes) {
                const QByteArray first(at, 'a');
                write(file, first + shape.after);
                FileLineReader reader(file, block);
                QStringList lines;
                QByteArrayView line;
                while (reader.next(line))
                    lines << QString::fromLatin1(line);
                EXPECT_EQ(lines, QStringList{QString::fromLatin1(first)} + shape.lines)
                    << "block " << block << ", line end at " << at << ": " << QByteArray(shape.after).toHex().data();
            }
        }
    }
}

// The line reader, the appender and the hosts file's reader are shown through the windows that use
// them. Each call runs on a thread of its own: one still waiting after 5 s fails the test, and the
// FIFO's other end is then opened to set it free.
TEST_F(Files, NoReaderWriterOrAppenderWaitsOnAFifo)
{
    const QString fifo = path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const auto handler = std::signal(SIGPIPE, SIG_IGN);
    QByteArray bytes;
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"readFileBytes", [&] { EXPECT_FALSE(readFileBytes(fifo, 10, bytes)); }},
        {"writeWholeFile", [&] { EXPECT_FALSE(writeWholeFile(fifo, "x")); }},
        {"writeInPlace", [&] { EXPECT_EQ(writeInPlace(fifo, "x", '\n').error, EINVAL); }},
        {"saveHostsFile", [&] { EXPECT_EQ(saveHostsFile(fifo, "x").error, EINVAL); }},
        {"registry.dat",
         [&] {
             std::uint32_t value = 0;
             EXPECT_FALSE(
                 FileRegistry(fifo).dword(0x80000002u, QStringLiteral("SYSTEM"), QStringLiteral("Start"), value));
         }},
    };
    for (const auto& [name, call] : calls) {
        std::atomic<bool> done = false;
        std::thread worker([&, call = call] {
            call();
            done = true;
        });
        if (!waitFor([&] { return done.load(); }, 5000)) {
            ADD_FAILURE() << name << " waits on a FIFO";
            while (!done) {
                const FileDescriptor other(::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK));
                pump(20);
            }
        }
        worker.join();
    }
    std::signal(SIGPIPE, handler);
    EXPECT_TRUE(S_ISFIFO(status(fifo).st_mode)) << "nothing took its place";
}

TEST_F(Files, AHostsFileOf16MBExactlyIsReadAndOneByteMoreIsNot)
{
    const QString hosts = path("hosts");
    for (const auto& [size, result] :
         {std::pair{kHostsFileLimit, HostsFileRead::Read}, std::pair{kHostsFileLimit + 1, HostsFileRead::TooLarge}}) {
        QFile file(hosts);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size)); // sparse: no disk used
        file.close();
        QByteArray bytes;
        EXPECT_EQ(readHostsFile(hosts, bytes), result) << size;
        EXPECT_EQ(bytes.size(), result == HostsFileRead::Read ? size : 0);
    }
}

TEST_F(Files, AnInPlaceSaveStoppedAtAnyMomentLeavesTheOldTextOrTheNew)
{
    const QString hosts = path("hosts");
    const QByteArray texts[] = {"10.0.0.9 pc9\n", kOld + "10.0.0.7 pc7\n",
                                "127.0.0.1 LOCALHOST\n10.0.0.5 PC5\n10.0.0.6 PC6\n", ""};
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        write(hosts, kOld);
        const ino_t inode = status(hosts).st_ino;
        QByteArrayList moments; // the file as a kill after each step would leave it
        const FileSave save = writeInPlace(hosts, text, '\n', [&] { moments << read(hosts); });
        EXPECT_EQ(save.error, 0);
        EXPECT_EQ(read(hosts), text) << "cut to its new length";
        EXPECT_EQ(status(hosts).st_ino, inode);
        ASSERT_FALSE(moments.isEmpty());
        // The old text, or the new one followed by blank lines only, which the hosts format ignores.
        for (const QByteArray& m : std::as_const(moments))
            EXPECT_TRUE(m == kOld || m == text + QByteArray(m.size() - text.size(), '\n')) << m.toStdString();
    }
}

TEST_F(Files, AnInPlaceWriteThatFailsPartWayPutsTheOldTextBack)
{
    const QString hosts = path("hosts");
    write(hosts, kOld);
    FileSave save;
    withFileSizeLimit(kOld.size() + 8, [&] { save = writeInPlace(hosts, kOld + "10.0.0.7 pc7\n", '\n'); });
    EXPECT_EQ(save.error, EFBIG);
    EXPECT_FALSE(save.changed);
    EXPECT_EQ(read(hosts), kOld);
}

// The new file takes nothing from the folder: its default ACL (a POSIX ACL as the system stores it,
// version 2; tag, rights, id) would let user 4242 write it.
TEST_F(Files, TheHostsFileIsReplacedByRenameUnlessOtherNamesWouldKeepTheOldText)
{
    const QByteArray acl = QByteArray::fromHex("02000000"
                                               "01000700ffffffff0200070092100000"
                                               "04000500ffffffff10000700ffffffff20000500ffffffff");
    const QString hosts = path("hosts");
    write(hosts, kOld);
    ::chmod(QFile::encodeName(hosts).constData(), 0644);
    const bool acls = ::setxattr(QFile::encodeName(dir.path()).constData(), "system.posix_acl_default", acl.constData(),
                                 acl.size(), 0) == 0;
    const ino_t inode = status(hosts).st_ino;
    FileSave save = saveHostsFile(hosts, "127.0.0.1 localhost\n");
    EXPECT_EQ(save.error, 0);
    EXPECT_EQ(save.way, SaveWay::ReplaceByRename);
    EXPECT_NE(status(hosts).st_ino, inode);
    EXPECT_EQ(read(hosts), "127.0.0.1 localhost\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"hosts"}) << "no new file left";
    EXPECT_EQ(status(hosts).st_mode & 07777, 0644u);
    if (acls) {
        EXPECT_LT(::getxattr(QFile::encodeName(hosts).constData(), "system.posix_acl_access", nullptr, 0), 0);
    }

    const QString other = path("hosts.link");
    ASSERT_EQ(::link(QFile::encodeName(hosts).constData(), QFile::encodeName(other).constData()), 0);
    save = saveHostsFile(hosts, kOld);
    EXPECT_EQ(save.way, SaveWay::WriteInPlace);
    EXPECT_EQ(read(other), kOld) << "the other name shows the new text too";
}

TEST_F(Files, AFullDiskOrAMountPointIsWrittenInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a file system takes root";
    SmallDisk disk(path("disk"));
    if (!disk.mounted())
        GTEST_SKIP() << "no tmpfs to mount";
    const QString hosts = disk.path() + QStringLiteral("/hosts");
    write(hosts, kOld + QByteArray(3000, '#') + '\n');
    disk.fill();
    // Not even a small new file fits, but a shorter text fits where the old one stands.
    FileSave save = saveHostsFile(hosts, kOld);
    EXPECT_EQ(save.error, 0) << save.reason.toStdString();
    EXPECT_EQ(read(hosts), kOld);

    // A longer text is refused before a byte is written; a write would set the time to now.
    const timespec times[2] = {{1000000, 0}, {1000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(hosts).constData(), times, 0), 0);
    save = saveHostsFile(hosts, kOld + QByteArray(8000, '#'));
    EXPECT_EQ(save.error, ENOSPC);
    EXPECT_FALSE(save.changed);
    EXPECT_EQ(read(hosts), kOld);
    EXPECT_EQ(status(hosts).st_mtim.tv_sec, 1000000) << "the file was written before the room was there";

    // Mounted over a file of another folder, as a container's hosts file is: from another file
    // system, or from the folder's own. (A read-only one the hosts tab shows.)
    const QString mounted = path("hosts");
    write(mounted, "");
    for (const QString& source : {hosts, path("near")}) {
        SCOPED_TRACE(source.toStdString());
        write(source, kOld);
        SmallDisk mount;
        ASSERT_TRUE(mount.bind(source, mounted, false));
        save = saveHostsFile(mounted, "127.0.0.1 localhost\n");
        EXPECT_EQ(save.error, 0);
        EXPECT_TRUE(save.mountPoint) << "the advice names the mount";
        EXPECT_EQ(read(source), "127.0.0.1 localhost\n");
    }
}

TEST_F(Files, AnAppendWaitsForTheLockAnotherCopyHolds)
{
    const QString log = path("sent.Log");
    write(log, "one\r\n");
    const FileDescriptor held(::open(QFile::encodeName(log).constData(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(lockFile(held.get(), LOCK_EX));
    std::atomic<bool> done = false;
    std::thread append([&] {
        appendToFile(log, "two\r\n");
        done = true;
    });
    // A lock of this process waits for another in the system's list of locks.
    const QByteArray pid = ' ' + QByteArray::number(::getpid()) + ' ';
    const auto waiting = [&pid] {
        QFile locks(QStringLiteral("/proc/locks"));
        return locks.open(QIODevice::ReadOnly) &&
               std::ranges::any_of(locks.readAll().split('\n'),
                                   [&](const QByteArray& l) { return l.contains("->") && l.contains(pid); });
    };
    EXPECT_TRUE(waitFor([&] { return waiting() || done; }));
    EXPECT_FALSE(done) << "appended under another's lock";
    EXPECT_EQ(read(log), "one\r\n");
    lockFile(held.get(), LOCK_UN);
    append.join();
    EXPECT_EQ(read(log), "one\r\ntwo\r\n");
}

TEST_F(Files, AWatcherOfTheFolderNeverSeesTheNewContentOfAPrivateFile)
{
    const mode_t umaskBefore = ::umask(022); // new files are readable by everyone
    const QString ini = path("Corvane.ini");
    const QByteArray texts[] = {"HOSTPATH=/etc/hosts\r\n" + QByteArray(8000, 'a'), QByteArray(9000, 'b') + "\r\n"};
    for (const Unnamed& way : kNewFiles) {
        SCOPED_TRACE(way.name);
        noUnnamedFiles = !way.available;
        write(ini, texts[0]);
        ::chmod(QFile::encodeName(ini).constData(), 0600);
        std::atomic<bool> stop = false;
        QByteArrayList exposed;
        int seen = 0; // the new files the watcher saw by their names
        std::thread watcher([&] {
            const QByteArray folder = QFile::encodeName(dir.path());
            while (!stop) {
                DIR* listing = ::opendir(folder.constData());
                while (const dirent* entry = listing ? ::readdir(listing) : nullptr) {
                    struct stat info {};
                    if (entry->d_name[0] != '.' || std::strcmp(entry->d_name, ".") == 0 ||
                        std::strcmp(entry->d_name, "..") == 0 ||
                        ::fstatat(::dirfd(listing), entry->d_name, &info, 0) != 0)
                        continue;
                    ++seen;
                    if (info.st_mode & 077)
                        exposed << entry->d_name + QByteArray(" ") + QByteArray::number(info.st_mode & 07777, 8);
                }
                if (listing)
                    ::closedir(listing);
            }
        });
        for (int save = 0; save < 300; ++save)
            ASSERT_TRUE(writeWholeFile(ini, texts[(save + 1) % 2]));
        stop = true;
        watcher.join();
        EXPECT_TRUE(exposed.isEmpty()) << exposed.join(", ").toStdString();
        if (!way.available) {
            EXPECT_GT(seen, 0) << "the watcher saw no new file: it proves nothing";
        }
        EXPECT_EQ(status(ini).st_mode & 07777, 0600u);
        EXPECT_EQ(read(ini), texts[0]);
        EXPECT_EQ(entries(), QStringList{"Corvane.ini"});
    }
    noUnnamedFiles = false;
    ::umask(umaskBefore);
}

// A child saves the file over and over and is killed at a random moment, 60 times.
TEST_F(Files, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewTextAndNoLitter)
{
    const QString hosts = path("hosts");
    const QByteArray texts[] = {kOld + QByteArray(200000, '#') + '\n', "127.0.0.1 localhost\n"};
    for (const Unnamed& way : kNewFiles) {
        SCOPED_TRACE(way.name);
        write(hosts, texts[0]);
        QSet<QString> leftovers;
        for (int kill = 0; kill < 60; ++kill) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                noUnnamedFiles = !way.available;
                for (int save = 0;; ++save)
                    writeWholeFile(hosts, texts[save % 2]);
            }
            // The moment of the kill: within the first few saves.
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(20000)));
            ::kill(child, SIGKILL);
            ASSERT_EQ(::waitpid(child, nullptr, 0), child);
            const QByteArray now = read(hosts);
            EXPECT_TRUE(now == texts[0] || now == texts[1]) << "kill " << kill << ": " << now.size() << " bytes";
            for (const QString& name : entries()) {
                if (name != "hosts")
                    leftovers << name;
            }
        }
        // Only the moment between naming the new file and its rename can leave one.
        if (way.available) {
            EXPECT_LE(leftovers.size(), 3);
        }
        noUnnamedFiles = !way.available;
        EXPECT_TRUE(writeWholeFile(hosts, texts[1]));
        noUnnamedFiles = false;
        EXPECT_EQ(entries(), QStringList{"hosts"}) << "the next save removes what a killed one left";
    }
}

// A file of a save's name that no save holds locked is a leftover; the rest is left alone.
TEST_F(Files, TheNextSaveRemovesOnlyWhatAStoppedSaveLeft)
{
    const QString hosts = path("hosts");
    write(hosts, kOld);
    for (const char* name : {".hosts.0123456789abc", ".hosts.zyxwvutsrqpon", ".hosts.swp", ".other.0123456789abc"})
        write(path(name), "x");
    // Another copy of the program is saving.
    const FileDescriptor busy(::open(QFile::encodeName(path(".hosts.zyxwvutsrqpon")).constData(), O_RDONLY));
    ASSERT_TRUE(lockFile(busy.get(), LOCK_EX));
    ASSERT_TRUE(writeWholeFile(hosts, "127.0.0.1 localhost\n"));
    EXPECT_EQ(entries(), (QStringList{".hosts.swp", ".hosts.zyxwvutsrqpon", ".other.0123456789abc", "hosts"}));
}

TEST_F(Files, EveryFailedStepOfASaveOrAnAppendIsReportedAsWhatItLeft)
{
    const QString log = path("sent.Log");
    write(log, "one\r\n");
    QString error;
    bool changed = true;

    // Without the lock, another copy's record could mix with this one: nothing is written.
    noLocks = true;
    EXPECT_FALSE(appendToFile(log, "two\r\n", &error, &changed));
    noLocks = false;
    EXPECT_EQ(error, "it could not be locked against other copies of the program: No locks available");
    EXPECT_FALSE(changed);
    EXPECT_EQ(read(log), "one\r\n");

    // An append-only log (root may make one) takes appends but no cut: a record that does not fit
    // stays in part.
    const FileDescriptor fd(::open(QFile::encodeName(log).constData(), O_RDONLY));
    int flags = 0;
    if (::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags |= FS_APPEND_FL) &&
        ::ioctl(fd.get(), FS_IOC_SETFLAGS, &flags) == 0) {
        withFileSizeLimit(10, [&] { EXPECT_FALSE(appendToFile(log, "two and more\r\n", &error, &changed)); });
        flags &= ~FS_APPEND_FL;
        ASSERT_EQ(::ioctl(fd.get(), FS_IOC_SETFLAGS, &flags), 0);
        EXPECT_EQ(error, "File too large; the part written could not be taken back: Operation not permitted");
        EXPECT_TRUE(changed);
        EXPECT_EQ(read(log), "one\r\ntwo a");
    } else if (::geteuid() == 0) {
        ADD_FAILURE() << "no append-only file here";
    }

    // A rename the folder's flush does not confirm: the new text is there, and may not stay.
    const QString hosts = path("hosts");
    write(hosts, kOld);
    noFolderFlush = true;
    EXPECT_FALSE(writeWholeFile(hosts, "a\n", &error, &changed));
    const FileSave save = saveHostsFile(hosts, "b\n");
    noFolderFlush = false;
    EXPECT_EQ(error, "the disk did not confirm the change: Input/output error");
    EXPECT_TRUE(changed);
    EXPECT_EQ(save.error, EIO);
    EXPECT_TRUE(save.changed);
    EXPECT_EQ(save.way, SaveWay::ReplaceByRename) << "not written in place over a whole new file";
    EXPECT_EQ(read(hosts), "b\n");
}
