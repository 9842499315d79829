// The file unit on its own, against real files: the opener, the line reader, the hosts file's limit,
// the two ways of saving and the append's lock.
#include "engine/textfile.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

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
    QTemporaryDir dir;
};

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
