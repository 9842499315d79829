#include "tests/support/testprogram.h"

#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "engine/textfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace corvane::test {

static void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

TestProgram::TestProgram()
{
    copyTree(QStringLiteral(CORVANE_DIST_DIR), dir_.path());
    // The build makes the user guide into the installed layout; a stand-in does for the tests.
    write(QStringLiteral("HelpFiles/UserGuide.pdf"), QByteArrayLiteral("%PDF-1.4\n"));
    auto d = std::make_unique<ScriptedDialogs>();
    auto c = std::make_unique<FixedClock>();
    auto s = std::make_unique<FakeSystemInfo>();
    auto sv = std::make_unique<FakeServices>();
    auto e = std::make_unique<RecordingEnd>();
    auto b = std::make_unique<FakeBrowser>();
    auto t = std::make_unique<FakeTray>();
    dialogs = d.get();
    clock = c.get();
    system = s.get();
    services = sv.get();
    end = e.get();
    browser = b.get();
    tray = t.get();
    pending.dialogs = std::move(d);
    pending.clock = std::move(c);
    pending.system = std::move(s);
    pending.registry = std::make_unique<FileRegistry>(dir_.path() + QStringLiteral("/registry.dat"));
    pending.services = std::move(sv);
    pending.end = std::move(e);
    pending.browser = std::move(b);
    pending.tray = std::move(t);
    pending.pinger = std::make_unique<LinuxPinger>();
    pending.resolver = std::make_unique<LinuxResolver>();
    auto ms = std::make_unique<RecordingMessenger>();
    messenger = ms.get();
    pending.messenger = std::move(ms);
    auto tc = std::make_unique<RecordingTcpClient>();
    tcp = tc.get();
    pending.tcp = std::move(tc);
    auto tk = std::make_unique<FakeTaskAgent>();
    tasks = tk.get();
    pending.tasks = std::move(tk);
    auto nc = std::make_unique<FakeNameCache>();
    nameCache = nc.get();
    pending.nameCache = std::move(nc);
}

TestProgram::~TestProgram() = default;

QByteArray TestProgram::read(const QString& relative) const
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestProgram::write(const QString& relative, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(path(relative)).absolutePath());
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void TestProgram::writeSettings(const QStringList& lines) const
{
    write(QStringLiteral("Corvane.ini"), crlfLines(lines));
}

void TestProgram::setSetting(const QString& key, const QString& value) const
{
    QStringList lines = splitTextLines(read(QStringLiteral("Corvane.ini")));
    bool found = false;
    for (QString& line : lines) {
        if (line.startsWith(key + QLatin1Char('='))) {
            line = key + QLatin1Char('=') + value;
            found = true;
        }
    }
    ASSERT_TRUE(found) << key.toStdString();
    writeSettings(lines);
}

Program& TestProgram::create(const QStringList& arguments)
{
    program_ = std::make_unique<Program>(dir_.path(), std::move(pending), arguments);
    return *program_;
}

Program& TestProgram::start(const QStringList& arguments)
{
    create(arguments);
    program_->start();
    return *program_;
}

forms::mainform& TestProgram::main()
{
    return program_->mainform();
}
forms::frmOptions& TestProgram::options()
{
    return program_->frmOptions();
}

void TestProgram::addGroup(const QString& name, const QByteArray& bytes)
{
    write(QStringLiteral("Groups/") + name, bytes);
    main().tab1filelist->Refresh();
}

bool TestProgram::clickGroup(const QString& name)
{
    if (!main().tab1filelist->selectFile(name))
        return false;
    emit main().tab1filelist->itemClicked(main().tab1filelist->currentItem());
    return true;
}

void pump(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()>& done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        pump(20);
    return done();
}

QString writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    return path;
}

QString outputOf(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

void withFileSizeLimit(qint64 bytes, const std::function<void()>& step)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &small);
    step();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}

} // namespace corvane::test
