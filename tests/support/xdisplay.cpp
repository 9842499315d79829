#include "tests/support/xdisplay.h"
#include "tests/support/testprogram.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane::test {

bool onOwnXDisplay()
{
    return qEnvironmentVariableIsSet("CORVANE_X_CHILD");
}

QString runOnOwnXDisplay(const QStringList& tools)
{
    for (const QString& tool : QStringList{QStringLiteral("Xvfb"), QStringLiteral("openbox")} + tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return tool + QStringLiteral(" is not installed");
    }
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqxcb.so")))
        return QStringLiteral("Qt's X11 platform is not installed");

    // Xvfb picks a free display and names it on the descriptor it is given.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!xvfb.waitForReadyRead(20000)) {
        ADD_FAILURE() << "Xvfb did not start";
        return {};
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(xvfb.readAllStandardOutput().trimmed());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);

    // openbox runs its start-up command once it manages the display.
    const QTemporaryDir scratch;
    const QString ready = scratch.path() + QStringLiteral("/managed");
    QProcess openbox;
    openbox.setProcessEnvironment(env);
    openbox.start(QStringLiteral("openbox"),
                  {QStringLiteral("--sm-disable"), QStringLiteral("--startup"), QStringLiteral("touch ") + ready});
    const bool managed = waitFor([&] { return QFile::exists(ready); }, 20000);

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CORVANE_X_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()))});
    const bool finished = managed && child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    for (QProcess* p : {&child, &openbox, &xvfb}) {
        p->terminate();
        if (!p->waitForFinished(5000))
            p->kill();
        p->waitForFinished(5000);
    }
    EXPECT_TRUE(managed) << "openbox did not start on " << display.toStdString();
    EXPECT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    return {};
}

} // namespace corvane::test
