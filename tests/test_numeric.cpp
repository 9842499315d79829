// The numbered computer-name generator: the names it calculates, its refusals and its saves.
#include "console/mainform.h"
#include "console/program.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"
#include "tests/support/testprogram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

class Numeric : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
    }
    forms::frmNumeric& n() { return t.program().frmNumeric(); }
    // Section 1 the text, section 2 counting from start to end, section 3 the text after it.
    void calculate(const QString& text, const QString& start, const QString& end, const QString& after = {})
    {
        if (!n().butCalculate->isEnabled())
            n().opt2Text->click(); // after a reset only a fresh choice of Numeric enables Calculate
        n().opt2Numeric->click();
        n().txt1Text->setText(text);
        n().txt2Text->setText(start);
        n().Endtxt2Text->setText(end);
        n().txt3Text->setText(after);
        t.dialogs->shown.clear();
        n().butCalculate->click();
    }
    QStringList names() { return t.program().module1().NodeNames; }
    bool noResult()
    {
        return !n().butSaveTo->isEnabled() && n().lblNodes->text() == "0" && n().lblEndNode->text().isEmpty();
    }
    TestProgram t;
};

TEST_F(Numeric, NumbersAreZeroFilledToTheEndBoxWhenBothHaveOneWidth)
{
    struct Case {
        const char *start, *end;
        int count;
        QStringList some; // first, a few between, last
    };
    const Case cases[] = {
        {"001", "100", 100, {"PC-001", "PC-009", "PC-010", "PC-099", "PC-100"}},
        {"01", "100", 100, {"PC-1", "PC-9", "PC-100"}},
        {"01", "99", 99, {"PC-01", "PC-09", "PC-10", "PC-99"}},
        {"05", "12", 8, {"PC-05", "PC-09", "PC-10", "PC-12"}},
        {"000", "100", 101, {"PC-000", "PC-001", "PC-100"}},
        {"0001", "0100", 100, {"PC-0001", "PC-0100"}},
        {"10", "20", 11, {"PC-10", "PC-20"}},
        {"0001", "100", 100, {"PC-1", "PC-100"}},
        {"1", "10", 10, {"PC-1", "PC-10"}},
        {"7", "7", 1, {"PC-7"}},
        {"-03", "002", 6, {"PC--03", "PC--01", "PC-000", "PC-002"}},
    };
    for (const Case& c : cases) {
        calculate(QStringLiteral("pc-"), QLatin1String(c.start), QLatin1String(c.end));
        const QStringList got = names();
        ASSERT_EQ(got.size(), c.count) << c.start << " " << c.end;
        EXPECT_EQ(got.first().toUpper(), c.some.first()) << c.start;
        EXPECT_EQ(got.last().toUpper(), c.some.last()) << c.start;
        for (const QString& name : c.some)
            EXPECT_TRUE(got.contains(name, Qt::CaseInsensitive)) << name.toStdString();
        EXPECT_EQ(n().lblstartNode->text(), c.some.first());
        EXPECT_EQ(n().lblEndNode->text(), c.some.last());
        EXPECT_EQ(n().lblNodes->text(), QString::number(c.count));
        EXPECT_TRUE(n().butSaveTo->isEnabled());
        EXPECT_TRUE(t.dialogs->shown.empty());
    }
}

TEST_F(Numeric, RefusalsComeInOrderAndLeaveNoResult)
{
    struct Case {
        const char *text, *start, *end;
        const char* title;
        bool resets; // the boxes are emptied
    };
    const Case cases[] = {
        {"PC-", "", "5", "Corvane - Error Input", false},
        {"PC-", "-", "5", "Corvane - Error Input", false},
        {"PC-", "10", "5", "Corvane - Error in input", true},
        {"ABCDEFGHIJKLMNOP ", "1", "6001", "Corvane - Too Many Nodes", false},
        {"ABCDEFGHIJKLM ", "1", "1", "Corvane - Error Input", false},
        {"ABCDEFGHIJKL", "1", "100", "Corvane - Error Input", false},
        {"PC 1-", "1", "6000", "Corvane - Bad Input!", false},
    };
    for (const Case& c : cases) {
        calculate(QStringLiteral("PC-"), QStringLiteral("1"), QStringLiteral("2"));
        ASSERT_TRUE(n().butSaveTo->isEnabled());
        calculate(QLatin1String(c.text), QLatin1String(c.start), QLatin1String(c.end));
        ASSERT_EQ(t.dialogs->shown.size(), 1u) << c.text;
        EXPECT_EQ(t.dialogs->last()->title, c.title) << c.text;
        EXPECT_TRUE(noResult()) << c.text;
        EXPECT_EQ(n().txt1Text->text().isEmpty(), c.resets) << c.text;
    }
    EXPECT_EQ(t.dialogs->last()->text, "Your node date contains illegal characters:  '/\\[]:;|<>+=,?* (or spaces!)");
    calculate(QStringLiteral("ABCDEFGHIJKL"), QStringLiteral("1"), QStringLiteral("100"));
    EXPECT_TRUE(t.dialogs->last()->text.contains("[ABCDEFGHIJKL100]")) << "the last name is the long one";
    calculate(QStringLiteral("PC-"), QStringLiteral("1"), QStringLiteral("6000"));
    EXPECT_EQ(n().lblNodes->text(), "6000");
}

TEST_F(Numeric, SectionsKeepOneNumericAndNumberBoxesTakeOnlyNumbers)
{
    forms::frmNumeric& f = n();
    EXPECT_FALSE(f.butCalculate->isEnabled());
    EXPECT_TRUE(f.Endtxt1Text->isHidden() && f.Endtxt2Text->isHidden() && f.Endtxt3Text->isHidden());
    f.opt2Numeric->click();
    EXPECT_FALSE(f.Endtxt2Text->isHidden());
    EXPECT_EQ(f.txt2Text->text(), "0");
    EXPECT_TRUE(f.butCalculate->isEnabled());
    f.opt2Numeric->click();                       // already chosen: nothing happens
    f.txt1Text->setText(QStringLiteral("a b.c")); // a Text section's box is not a number box
    EXPECT_TRUE(t.dialogs->shown.empty());

    for (const char* typed : {"1.5", "1,5", "1 5", "x1", "+1", "2147483648"}) {
        f.Endtxt2Text->setText(QLatin1String(typed));
        EXPECT_EQ(f.Endtxt2Text->text(), "0") << typed;
    }
    EXPECT_EQ(t.dialogs->texts(),
              QStringList(6, QStringLiteral("You Cannot Enter Non-Numeric characters into the numeric field")));
    f.Endtxt2Text->setText(QStringLiteral("-2147483648"));
    f.txt2Text->clear();
    EXPECT_EQ(t.dialogs->shown.size(), 6u);

    f.opt2Text->click();
    EXPECT_TRUE(f.butCalculate->isEnabled()) << "Text does not disable Calculate";
    f.butCalculate->click();
    EXPECT_EQ(t.dialogs->texts().last(), "You must chose at least one numeric section.");
    EXPECT_FALSE(f.butCalculate->isEnabled());

    f.opt2Numeric->click();
    f.txt1Text->setText(QStringLiteral("PC"));
    f.opt3Numeric->click();
    EXPECT_EQ(t.dialogs->texts().last(), "You can only select one Numeric Field.");
    EXPECT_TRUE(f.opt3Text->isChecked() && f.Endtxt3Text->isHidden());
    EXPECT_TRUE(f.opt2Numeric->isChecked());
    EXPECT_TRUE(f.txt1Text->text().isEmpty() && f.txt3Text->text().isEmpty());
    EXPECT_FALSE(f.butCalculate->isEnabled());

    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(f.Label7, &click);
    EXPECT_EQ(t.browser->opened.value(0), t.path("HelpFiles/UserGuide.pdf"));
    t.main().hide();
    f.show();
    f.close();
    EXPECT_TRUE(t.main().isVisible());
    EXPECT_FALSE(t.program().frmNumericLoaded());
}

TEST_F(Numeric, SaveMergesIntoTheGroupAndCapitalisesOnlyTheFileName)
{
    ASSERT_TRUE(QDir(t.path("Groups")).mkdir(QStringLiteral("sub")));
    t.write(QStringLiteral("Groups/lab.mit"), "pc1\r\n\r\nx");
    calculate(QStringLiteral("pc-"), QStringLiteral("1"), QStringLiteral("2"));
    n().butSaveTo->click(); // cancelled
    for (const QString& chosen : {t.path("Groups/LAB.mit"), t.path("Groups/sub/new.MIT")})
        t.dialogs->chooseFile(chosen);
    n().butSaveTo->click();
    n().butSaveTo->click();
    EXPECT_EQ(t.read(QStringLiteral("Groups/lab.mit")), "PC1\r\n\r\nX\r\nPC-1\r\nPC-2\r\n");
    EXPECT_FALSE(QFile::exists(t.path("Groups/LAB.mit")));
    EXPECT_EQ(QDir(t.path("Groups/sub")).entryList(QDir::Files), QStringList{"NEW.mit"});
    EXPECT_EQ(t.read(QStringLiteral("Groups/sub/NEW.mit")), "PC-1\r\nPC-2\r\n");
    EXPECT_EQ(t.dialogs->texts(), QStringList(2, QStringLiteral("Your Nodes created were successfully saved into the "
                                                                "Group.")));
    EXPECT_EQ(t.dialogs->shown.front().title, "Save Corvane Group File...");

    QByteArray full;
    for (int i = 0; i < 5999; ++i)
        full += "A" + QByteArray::number(i) + "\r\n";
    t.write(QStringLiteral("Groups/BIG.mit"), full);
    t.dialogs->chooseFile(t.path("Groups/BIG.mit"));
    n().butSaveTo->click();
    EXPECT_TRUE(t.dialogs->last()->text.contains("[5999]")) << t.dialogs->last()->text.toStdString();
    EXPECT_EQ(t.read(QStringLiteral("Groups/BIG.mit")), full);
    EXPECT_TRUE(t.main().tab2filelist->selectFile(QStringLiteral("lab.mit"))) << "the tab's lists were refreshed";
}
