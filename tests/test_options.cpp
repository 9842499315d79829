// The options dialog's own handlers: OK with its alias warning and prefix check, Delete Log, the
// logging and prefix options, and the hosts-file list.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
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
// The operator's double click on the folder list's row of that folder.
void doubleClick(FolderListBox* list, const QString& folder)
{
    QTreeWidgetItem* row = list->row(folder);
    ASSERT_NE(row, nullptr) << folder.toStdString();
    list->scrollToItem(row);
    const QPoint at = list->visualItemRect(row).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                    QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    }
}

const QString kDeleteQuestion = QStringLiteral("Are you sure you want to erase the Sent Messages Log file?");

struct Case {
    const char* name;
    const char* service;
    std::function<void(TestProgram&, forms::frmOptions&)> act; // acts and checks the files and controls
    QStringList boxes;
};

} // namespace

TEST(Options, HandlersDoWhatTheirControlsSay)
{
    const Case cases[] = {
        {"Messenger, the alias as Reset puts it",
         "MESSENGER",
         [](auto& t, auto& o) {
             o.optOKbut->click();
             EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=LABHOST\r\n"));
         },
         {}},
        {"Messenger, another alias",
         "MESSENGER",
         [](auto& t, auto& o) {
             o.txtAlias->setText("Helpdesk");
             o.optOKbut->click();
             EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=Helpdesk\r\n"));
         },
         {kAliasWarning}},
        {"an empty alias, a new template",
         "NUVOCLIENT",
         [](auto& t, auto& o) {
             o.txtAlias->clear();
             o.txtTemplate->setText("Call 555");
             o.optOKbut->click();
             EXPECT_TRUE(t.read("Corvane.ini").contains("ALIAS=Corvane Message Centre\r\n"));
             EXPECT_EQ(t.read("template.dat"), "Call 555\r\n");
             EXPECT_EQ(t.main().messtext->text(), "Call 555");
         },
         {}},
        {"a refused prefix keeps the settings file",
         "NUVOCLIENT",
         [](auto& t, auto& o) {
             const QByteArray before = t.read("Corvane.ini");
             selectOption(o.optPrefixON);
             o.txtPrefix->setText("LAB ");
             o.optOKbut->click();
             EXPECT_EQ(t.read("Corvane.ini"), before);
             EXPECT_FALSE(o.isVisible());
         },
         {kPrefixRefused}},
        {"the prefix and log options act at once",
         "NUVOCLIENT",
         [](auto& t, auto& o) {
             selectOption(o.optPrefixON);
             selectOption(o.optLogMsgOFF);
             EXPECT_TRUE(o.txtPrefix->isEnabled() && o.Label3->isEnabled());
             EXPECT_EQ(t.program().module1().PrefixEnabled * 10 + t.program().module1().LogMessages, 10);
             selectOption(o.optPrefixOFF);
             selectOption(o.optLogMsgON);
             EXPECT_FALSE(o.txtPrefix->isEnabled() || o.Label3->isEnabled());
             EXPECT_EQ(t.program().module1().PrefixEnabled * 10 + t.program().module1().LogMessages, 1);
         },
         {}},
        {"Delete Log answered No, then Yes",
         "NUVOCLIENT",
         [](auto& t, auto& o) {
             t.write("Logs/sent.Log", "\r\n[LOG_BEGIN]\r\n");
             t.dialogs->answer(MsgAnswer::No);
             o.butDeleteMsgLog->click();
             EXPECT_EQ(t.read("Logs/sent.Log"), "\r\n[LOG_BEGIN]\r\n");
             t.dialogs->answer(MsgAnswer::Yes);
             o.butDeleteMsgLog->click();
             EXPECT_TRUE(QFile::exists(t.path("Logs/sent.Log")) && t.read("Logs/sent.Log").isEmpty());
         },
         {kDeleteQuestion, kDeleteQuestion}},
        {"the folder list opens a folder and its parent; the file list follows; the path names a file",
         "NUVOCLIENT",
         [](auto& t, auto& o) {
             t.write("Logs/hosts", "");
             o.Dir1->setPath(t.folder());
             doubleClick(o.Dir1, t.path("Logs"));
             EXPECT_EQ(o.Dir1->path(), t.path("Logs"));
             EXPECT_EQ(o.File1->path(), t.path("Logs"));
             ASSERT_TRUE(o.File1->selectFile("hosts"));
             emit o.File1->itemClicked(o.File1->currentItem());
             o.File1->clearSelection();
             emit o.File1->itemClicked(o.File1->currentItem());
             EXPECT_EQ(o.Label2->text(), t.path("Logs/hosts"));

             const QString above = QFileInfo(t.folder()).absolutePath();
             doubleClick(o.Dir1, above);
             EXPECT_EQ(o.Dir1->path(), above);
             EXPECT_EQ(o.File1->path(), above);
             EXPECT_EQ(o.Label2->text(), t.path("Logs/hosts")) << "only a file chosen changes the path";
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgram t;
        t.setSetting("STARTUP", "0");
        t.setSetting("SERVICE", c.service);
        t.start();
        t.options().show();
        t.dialogs->shown.clear();
        c.act(t, t.options());
        EXPECT_EQ(t.dialogs->texts(), c.boxes);
    }
}
