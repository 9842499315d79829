// The settings file and the template: read by position, written back whole, never lost.
#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "assistants/frmWizard.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "tests/support/testprogram.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QStringList defaults()
{
    return {"HOSTPATH=/etc/hosts",
            "PREFIXSTATUS=0",
            "PREFIX=NONE",
            "LOGMSGS=1",
            "DOMAIN_ENABLE=0",
            "STARTUP=0",
            "ALIAS=Ops Desk",
            "SENDASIP=NO",
            "SERVICE=NUVOCLIENT",
            "PORT=9125",
            "WIN_TITLE=IT Notice",
            "WIN_SHOWDATE=YES",
            "WIN_SHOWTIME=NO",
            "WIN_TIMEOUT=NO",
            "WIN_TIMEOUTMIN=5",
            "ENABLE_CPUTARGET=YES",
            "ENABLE_GROUPTARGET=YES",
            "ENABLE_GROUPMANAGE=YES",
            "ENABLE_HOSTMANAGE=YES",
            "ENABLE_FROM=YES",
            "ERRORLOG=YES"};
}

} // namespace

class Settings : public ::testing::Test {
protected:
    // Starts the program on these settings lines and leaves it through Exit, answering Yes.
    QByteArray roundTrip(const QStringList& lines)
    {
        t.writeSettings(lines);
        t.start();
        t.dialogs->answer(MsgAnswer::Yes);
        t.main().Exit_Click();
        return t.read(QStringLiteral("Corvane.ini"));
    }
    TestProgram t;
};

TEST_F(Settings, AFileWrittenBackUnchangedKeepsEveryByte)
{
    EXPECT_EQ(roundTrip(defaults()), crlfLines(defaults()));
    EXPECT_EQ(t.end->count, 1);
    EXPECT_TRUE(t.dialogs->texts().filter("Corvane.ini").isEmpty()) << "a good file gives no box";
}

TEST_F(Settings, LinesAreReadByPositionNotByKey)
{
    QStringList lines = defaults();
    for (QString& line : lines)
        line.replace(0, 2, "XX");  // every key misspelt
    lines[6] = "XLIAS=Front=Desk"; // the value ends at a second "="
    lines[7] = "XXNDASIP=yes";     // a value neither YES nor NO is taken as it stands
    lines[9] = "XXRT=4242";
    t.writeSettings(lines);
    t.start();
    Module1& m1 = t.program().module1();
    EXPECT_EQ(m1.AliasName, "Front");
    EXPECT_EQ(m1.SendAsIP, "yes");
    EXPECT_EQ(m1.ClientPort, 4242);
    EXPECT_EQ(m1.ServiceName, "NUVOCLIENT");
    EXPECT_EQ(t.options().txtAlias->text(), "Front");

    t.dialogs->answer(MsgAnswer::Yes);
    t.main().Exit_Click();
    const QStringList written = splitTextLines(t.read(QStringLiteral("Corvane.ini")));
    ASSERT_EQ(written.size(), 21);
    EXPECT_EQ(written[6], "ALIAS=Front");
    EXPECT_EQ(written[7], "SENDASIP=yes");
    EXPECT_EQ(written[8], "SERVICE=NUVOCLIENT") << "the writer always writes its own keys";
}

TEST_F(Settings, LinesPastTheTwentyFirstAreReadAndDroppedAtTheNextWrite)
{
    QStringList lines = defaults();
    for (int i = 21; i < 40; ++i)
        lines << QStringLiteral("EXTRA%1=value").arg(i);
    EXPECT_EQ(roundTrip(lines), crlfLines(defaults()));
}

TEST_F(Settings, APrefixWithARefusedCharacterLeavesTheFileAsItWas)
{
    QStringList lines = defaults();
    lines[1] = "PREFIXSTATUS=1";
    lines[2] = "PREFIX=LAB-";
    t.writeSettings(lines);
    t.start();
    const QByteArray before = t.read(QStringLiteral("Corvane.ini"));
    for (const QChar c : QStringLiteral("*'\" /\\[]:;|<>+=,?")) {
        t.options().txtPrefix->setText(QStringLiteral("LAB") + c);
        t.dialogs->shown.clear();
        t.program().module1().SaveIniSettings();
        EXPECT_EQ(t.read(QStringLiteral("Corvane.ini")), before) << QString(c).toStdString();
        ASSERT_EQ(t.dialogs->texts().size(), 1);
        EXPECT_EQ(t.dialogs->last()->text, "Prefix Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).  "
                                           "Please enter a different prefix.");
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
        EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::None);
    }
    t.options().txtPrefix->setText(QStringLiteral("LAB-"));
    t.program().module1().SaveIniSettings();
    EXPECT_EQ(splitTextLines(t.read(QStringLiteral("Corvane.ini")))[2], "PREFIX=LAB-");
}

TEST_F(Settings, WithThePrefixOffItIsNeitherTestedNorWritten)
{
    t.writeSettings(defaults());
    t.start();
    t.options().txtPrefix->setText(QStringLiteral("has blank"));
    t.program().module1().SaveIniSettings();
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_EQ(splitTextLines(t.read(QStringLiteral("Corvane.ini")))[2], "PREFIX=NONE");
}

TEST_F(Settings, AMissingFileStartsOnDefaultsWithOneBox)
{
    QFile::remove(t.path(QStringLiteral("Corvane.ini")));
    t.start();
    ASSERT_EQ(t.dialogs->texts().filter("Corvane.ini").size(), 1);
    EXPECT_EQ(t.dialogs->shown[0].title, "Corvane - Information");
    Module1& m1 = t.program().module1();
    EXPECT_EQ(m1.ServiceName, "NUVOCLIENT");
    EXPECT_EQ(m1.HostsPath, "/etc/hosts");
    EXPECT_EQ(t.options().txtAlias->text(), "LABHOST") << "the default alias is FIRSTRUN";
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(Settings, AFifoInTheFilesPlaceIsNeitherWaitedOnNorCopied)
{
    QFile::remove(t.path(QStringLiteral("Corvane.ini")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.path(QStringLiteral("Corvane.ini"))).constData(), 0644), 0);
    t.start();
    const QStringList boxes = t.dialogs->texts().filter("Corvane.ini");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("it is not a regular file")) << boxes[0].toStdString();
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Corvane.ini.damaged"))));
}

TEST_F(Settings, AShortOrDamagedFileKeepsWhatItCouldReadAndIsKeptAside)
{
    QStringList lines = defaults().mid(0, 12);
    lines[3] = "LOGMSGS=0";
    lines[9] = "PORT=ninety";
    lines[10] = "WIN_TITLE Notice without equals";
    t.writeSettings(lines);
    const QByteArray original = t.read(QStringLiteral("Corvane.ini"));
    t.start();
    Module1& m1 = t.program().module1();
    EXPECT_EQ(m1.LogMessages, 0) << "lines before the damage keep their values";
    EXPECT_EQ(m1.ClientPort, 9125);
    EXPECT_EQ(m1.WinTitle, "Corvane Message");
    EXPECT_EQ(m1.ShowDate, "YES");
    const QStringList boxes = t.dialogs->texts().filter("Corvane.ini");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("line 10")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains("line 11")) << boxes[0].toStdString();
    EXPECT_EQ(t.read(QStringLiteral("Corvane.ini.damaged")), original);
    EXPECT_EQ(t.read(QStringLiteral("Corvane.ini")), original) << "reading never rewrites the file";
}

TEST_F(Settings, NumbersOutsideSixteenBitsAreRefused)
{
    QStringList lines = defaults();
    lines[9] = "PORT=70000";
    lines[14] = "WIN_TIMEOUTMIN=7.5";
    t.writeSettings(lines);
    t.start();
    EXPECT_EQ(t.program().module1().ClientPort, 9125);
    EXPECT_EQ(t.program().module1().TimeOutMinutes, 8) << "a fraction rounds to the even whole number";
}

TEST_F(Settings, ALineBreakInAOneLineBoxOrAValueStaysOutOfTheFile)
{
    t.writeSettings(defaults());
    t.start();
    forms::mainform& m = t.main();
    forms::frmWizard& w = t.program().frmWizard();
    forms::frmSchedule& s = t.program().frmSchedule();
    // Pasted through the clipboard as the operator does it, and set from code as the wizard does.
    QGuiApplication::clipboard()->setText(QStringLiteral("A\r\nB\nC\rD"));
    for (QLineEdit* box : {t.options().txtAlias, t.options().txtPrefix, m.txtWintitle, m.txtMainHeadline, m.tab1sendcpu,
                           w.txtHeadline, w.txtTitle, w.txtFrom, w.txtTarget, s.txtName}) {
        box->clear();
        box->paste();
        EXPECT_EQ(box->text(), "A  B C D") << box->objectName().toStdString();
        box->setText(QStringLiteral("E\nF"));
        EXPECT_EQ(box->text(), "E F") << box->objectName().toStdString();
    }

    // The hosts path is no box: a folder name may hold a line break, and the writer keeps it on its line.
    t.options().Label2->setText(QStringLiteral("/etc/odd\r\nfolder/hosts"));
    t.program().module1().SaveIniSettings();
    const QStringList written = splitTextLines(t.read(QStringLiteral("Corvane.ini")));
    ASSERT_EQ(written.size(), 21);
    EXPECT_EQ(written[0], "HOSTPATH=/etc/odd  folder/hosts");
    EXPECT_EQ(written[6], "ALIAS=E F");
    EXPECT_EQ(written[8], "SERVICE=NUVOCLIENT");
    EXPECT_EQ(written[10], "WIN_TITLE=E F");
}

TEST_F(Settings, AFailedWriteEndsTheProgramAndLeavesTheOldFileWhole)
{
    t.writeSettings(defaults());
    t.start();
    const QByteArray before = t.read(QStringLiteral("Corvane.ini"));
    t.options().txtAlias->setText(QString(600, QLatin1Char('A')));

    withFileSizeLimit(64, [&] { t.program().module1().SaveIniSettings(); });

    EXPECT_EQ(t.read(QStringLiteral("Corvane.ini")), before);
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->text, "The Corvane.ini file is Invalid or Corrupt.  Please re-install Corvane");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
    EXPECT_EQ(t.end->count, 1);
}

class Template : public ::testing::Test {
protected:
    QString load(const QByteArray& bytes)
    {
        t.write(QStringLiteral("template.dat"), bytes);
        t.create();
        t.program().module1().LoadTemplate();
        return t.program().module1().TemplateText;
    }
    TestProgram t;
};

TEST_F(Template, LinesComeBackEachEndedByCrLf)
{
    EXPECT_EQ(load("Call the helpdesk\r\n"), "Call the helpdesk\r\n");
    EXPECT_EQ(load("no line end"), "no line end\r\n");
    EXPECT_EQ(load("two\r\nlines\r\n\r\n"), "two\r\nlines\r\n\r\n") << "an empty last line stays";
}

TEST_F(Template, AnEmptyLineOrAnEmptyFileGivesAnEmptyTemplate)
{
    EXPECT_EQ(load("\r\n"), "");
    EXPECT_EQ(load(""), "");
}

TEST_F(Template, AMissingTemplateStartsEmptyWithABox)
{
    t.setSetting("STARTUP", "0");
    QFile::remove(t.path(QStringLiteral("template.dat")));
    t.start();
    EXPECT_EQ(t.main().messtext->text(), "");
    EXPECT_EQ(t.dialogs->texts().filter("template.dat").size(), 1);
    EXPECT_TRUE(t.main().isVisible());
}

TEST_F(Template, StartUpPutsTheTemplateIntoTheMessageBox)
{
    t.setSetting("STARTUP", "0");
    t.write(QStringLiteral("template.dat"), "Line one\r\nLine two\r\n");
    t.start();
    EXPECT_EQ(t.main().messtext->text(), "Line one\r\nLine two\r\n");
}
