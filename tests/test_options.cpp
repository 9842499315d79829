// The options dialog's own handlers: OK with its alias warning and prefix check, Delete Log, the
// logging and prefix options, and the hosts-file list.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <functional>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kAliasWarning = QStringLiteral(
    "You have chosen to alter your sending alias name.  Some client terminals that have been upgraded from Windows "
    "NT4/98/ME may NOT RECEIVE your messages sent if you change your alias from its default.  If your clients fail "
    "to RECEIVE your messages then PLEASE click the reset to default name button.");
const QString kPrefixRefused = QStringLiteral(
    "Prefix Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).  Please enter a different prefix.");
const QString kDeleteQuestion = QStringLiteral("Are you sure you want to erase the Sent Messages Log file?");

struct Case {
    const char* name;
    const char* service;
    std::function<void(TestProgram&, forms::frmOptions&)> act;
    QStringList boxes;
    std::function<void(TestProgram&, forms::frmOptions&)> check;
};

} // namespace

TEST(Options, HandlersDoWhatTheirControlsSay)
{
    const auto ok = [](TestProgram&, forms::frmOptions& o) { o.optOKbut->click(); };
    const Case cases[] = {
        {"Messenger, the alias as Reset puts it: no warning", "MESSENGER", ok, {},
         [](TestProgram& t, forms::frmOptions&) { EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=LABHOST\r\n")); }},
        {"Messenger, another alias: the warning, then the save", "MESSENGER",
         [](TestProgram&, forms::frmOptions& o) {
             o.txtAlias->setText("Helpdesk");
             o.optOKbut->click();
         },
         {kAliasWarning},
         [](TestProgram& t, forms::frmOptions& o) {
             EXPECT_EQ(t.dialogs->shown[0].title, "Corvane - Warning");
             EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=Helpdesk\r\n"));
             EXPECT_FALSE(o.isVisible());
         }},
        {"Nuvo client, an empty alias becomes the default", "NUVOCLIENT",
         [](TestProgram&, forms::frmOptions& o) {
             o.txtAlias->clear();
             o.txtTemplate->setText("Call 555");
             o.optOKbut->click();
         },
         {},
         [](TestProgram& t, forms::frmOptions& o) {
             EXPECT_EQ(o.txtAlias->text(), "Corvane Message Centre");
             EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=Corvane Message Centre\r\n"));
             EXPECT_EQ(t.read("template.dat"), "Call 555\r\n");
             EXPECT_EQ(t.main().messtext->text(), "Call 555");
         }},
        {"a refused prefix keeps the settings file and still writes the template", "NUVOCLIENT",
         [](TestProgram& t, forms::frmOptions& o) {
             t.write("Corvane.ini.before", t.read("Corvane.ini"));
             selectOption(o.optPrefixON);
             o.txtPrefix->setText("LAB ");
             o.txtTemplate->setText("new template");
             o.optOKbut->click();
         },
         {kPrefixRefused},
         [](TestProgram& t, forms::frmOptions& o) {
             EXPECT_EQ(t.read("Corvane.ini"), t.read("Corvane.ini.before"));
             EXPECT_EQ(t.read("template.dat"), "new template\r\n");
             EXPECT_FALSE(o.isVisible());
         }},
        {"the prefix and log options change their values at once", "NUVOCLIENT",
         [](TestProgram&, forms::frmOptions& o) {
             selectOption(o.optPrefixON);
             selectOption(o.optLogMsgOFF);
         },
         {},
         [](TestProgram& t, forms::frmOptions& o) {
             EXPECT_TRUE(o.txtPrefix->isEnabled() && o.Label3->isEnabled());
             EXPECT_EQ(t.program().module1().PrefixEnabled, 1);
             EXPECT_EQ(t.program().module1().LogMessages, 0);
             selectOption(o.optPrefixOFF);
             selectOption(o.optLogMsgON);
             EXPECT_FALSE(o.txtPrefix->isEnabled() || o.Label3->isEnabled());
             EXPECT_EQ(t.program().module1().PrefixEnabled, 0);
             EXPECT_EQ(t.program().module1().LogMessages, 1);
         }},
        {"Delete Log answered No, then Yes", "NUVOCLIENT",
         [](TestProgram& t, forms::frmOptions& o) {
             t.write("Logs/sent.Log", "\r\n[LOG_BEGIN]\r\n");
             t.dialogs->answer(MsgAnswer::No);
             o.butDeleteMsgLog->click();
             EXPECT_EQ(t.read("Logs/sent.Log"), "\r\n[LOG_BEGIN]\r\n");
             t.dialogs->answer(MsgAnswer::Yes);
             o.butDeleteMsgLog->click();
         },
         {kDeleteQuestion, kDeleteQuestion},
         [](TestProgram& t, forms::frmOptions&) {
             EXPECT_EQ(t.dialogs->shown[0].title, "Corvane: Question");
             EXPECT_TRUE(QFile::exists(t.path("Logs/sent.Log")));
             EXPECT_EQ(t.read("Logs/sent.Log"), "");
         }},
        {"the hosts list names a file, never its folder", "NUVOCLIENT",
         [](TestProgram& t, forms::frmOptions& o) {
             t.write("Logs/sent.Log", "");
             o.Dir1->setText(t.path("Logs/"));
             o.Dir1_Change();
             o.File1->setPattern("*.Log");
             ASSERT_TRUE(o.File1->selectFile("sent.Log"));
             emit o.File1->itemClicked(o.File1->currentItem());
             o.File1->clearSelection();
             emit o.File1->itemClicked(o.File1->currentItem());
         },
         {},
         [](TestProgram& t, forms::frmOptions& o) { EXPECT_EQ(o.Label2->text(), t.path("Logs/sent.Log")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgram t;
        t.setSetting("STARTUP", "0");
        t.setSetting("SERVICE", c.service);
        t.start();
        forms::frmOptions& o = t.options();
        o.show();
        t.dialogs->shown.clear();
        c.act(t, o);
        EXPECT_EQ(t.dialogs->texts(), c.boxes);
        c.check(t, o);
    }
}
