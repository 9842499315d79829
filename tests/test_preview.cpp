// The preview on the operator's own desktop and the message files of the Messages folder.
#include "console/frmReview.h"
#include "console/mainform.h"
#include "console/program.h"
#include "console/qtdialogs.h"
#include "engine/module1.h"
#include "tests/support/fakedelivery.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {
const QString messengerBox = QStringLiteral(
    "The message could not be sent to the local PC.  For Messenger service messages to be previewed the messenger "
    "service must be running on this computer.  See the UserGuide in the Help Menu for more information.");
const QString clientBox = QStringLiteral(
    "The message could not be sent to the local PC.  For Nuvoclient messages to be previewed the Nuvoclient must be "
    "installed and running on this computer.  See the UserGuide in the Help Menu for more information.");
} // namespace

class MessageFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.start();
    }
    forms::mainform& m() { return t.main(); }
    void save(const QString& relative)
    {
        t.dialogs->chooseFile(t.path(relative));
        m().mnuSaveMess->trigger();
    }
    void open(const QString& relative)
    {
        t.dialogs->chooseFile(t.path(relative));
        m().mnuOpenMess->trigger();
    }
    TestProgram t;
};

TEST_F(MessageFiles, AMessageSavedAndOpenedAgainStaysAsItWas)
{
    m().messtext->setText("Hello");
    save("Messages/hello");
    EXPECT_EQ(t.dialogs->last()->title, "Save Corvane Message File...");
    EXPECT_EQ(t.dialogs->last()->text, "Message Files (*.txt)");
    EXPECT_EQ(t.read("Messages/hello.txt"), QByteArray("Hello\r\n")) << "a name without an extension gets .txt";
    // Files as the program writes them, and as another editor may leave them.
    for (const QByteArray bytes : {"Hello\r\n", "Caf\xe9 at 5\r\nsecond line\r\n\r\n", "no line end"}) {
        t.write("Messages/cycle.txt", bytes);
        open("Messages/cycle.txt");
        EXPECT_EQ(t.dialogs->last()->title, "Open Corvane Message File...");
        EXPECT_FALSE(m().messtext->text().endsWith("\r\n\r\n")) << "the file's last line end is no line";
        save("Messages/cycle.txt");
        EXPECT_EQ(t.read("Messages/cycle.txt"), bytes.endsWith("\n") ? bytes : bytes + "\r\n");
    }
    EXPECT_EQ(t.dialogs->texts(), QStringList()) << "no box on the way";
}

TEST_F(MessageFiles, AnEmptyFileEmptiesTheMessageBox)
{
    t.write("Messages/empty.txt", {});
    open("Messages/empty.txt");
    EXPECT_EQ(m().messtext->text(), "");
}

TEST_F(MessageFiles, CancelledDialogsChangeNothing)
{
    m().messtext->setText("kept");
    m().mnuOpenMess->trigger();
    m().mnuSaveMess->trigger();
    EXPECT_EQ(m().messtext->text(), "kept");
    EXPECT_EQ(t.dialogs->texts(), QStringList());
    EXPECT_EQ(QDir(t.path("Messages")).entryList(QDir::Files), QStringList());
}

TEST_F(MessageFiles, MissingFilesAndFoldersAreNotOpened)
{
    m().messtext->setText("kept");
    for (const char* name : {"Messages/none.txt", "Messages"}) {
        open(name);
        ASSERT_NE(t.dialogs->last(), nullptr);
        EXPECT_EQ(t.dialogs->last()->text, "The message file does not exist!");
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Not Found");
        EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Exclamation);
        EXPECT_EQ(m().messtext->text(), "kept");
    }
}

TEST_F(MessageFiles, AnEmptyMessageIsNotSaved)
{
    m().messtext->setText("");
    t.dialogs->chooseFile(t.path("Messages/x.txt"));
    m().mnuSaveMess_Click();
    ASSERT_EQ(t.dialogs->shown.size(), 1u) << "no dialog after the box";
    EXPECT_EQ(t.dialogs->last()->text, "You need to type a message to save one!");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Error");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
    EXPECT_FALSE(QFile::exists(t.path("Messages/x.txt")));
}

TEST_F(MessageFiles, AFailedSaveSaysSoAndLosesNothing)
{
    t.write("Messages/old.txt", "old text\r\n");
    m().messtext->setText("new text");
    QDir().mkpath(t.path("Messages/folder.txt"));
    for (const char* target : {"Messages/folder.txt", "Messages/no such folder/x.txt"}) {
        save(target);
        ASSERT_NE(t.dialogs->last(), nullptr);
        EXPECT_EQ(t.dialogs->last()->kind, "msgBox") << target;
        EXPECT_TRUE(t.dialogs->last()->text.contains("could not be saved")) << target;
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    }
    EXPECT_EQ(m().messtext->text(), "new text");
    EXPECT_EQ(t.read("Messages/old.txt"), QByteArray("old text\r\n"));
    EXPECT_TRUE(QFileInfo(t.path("Messages/folder.txt")).isDir());
}

// The preview by the Messenger service: the local computer answers the echo through the doubles.
class MessengerPreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.setSetting("SERVICE", "MESSENGER");
        auto resolver = std::make_unique<FakeResolver>();
        resolver->names["labhost"] = "127.0.0.1";
        resolver->systemFallback = false;
        auto pinger = std::make_unique<FakePinger>();
        pinger_ = pinger.get();
        t.pending.resolver = std::move(resolver);
        t.pending.pinger = std::move(pinger);
        t.start();
    }
    FakePinger* pinger_ = nullptr;
    TestProgram t;
};

TEST_F(MessengerPreview, ADeliveredPreviewShowsNoBox)
{
    forms::mainform& m = t.main();
    m.messtext->setText("Fire drill at 3pm");
    const std::size_t before = t.dialogs->shown.size();
    m.butTest->click();
    EXPECT_EQ(t.dialogs->shown.size(), before);
    ASSERT_EQ(t.messenger->calls.size(), 1);
    EXPECT_EQ(t.messenger->calls[0].to(), "labhost");
    EXPECT_EQ(t.messenger->calls[0].message(), "Fire drill at 3pm");
    EXPECT_EQ(t.program().module1().CurrentMessage, "Fire drill at 3pm");
    EXPECT_EQ(m.panelText(1), "Status: The message is being sent to the local desktop for preview.");
    EXPECT_FALSE(QFile::exists(t.path("socket.txt"))) << "no client file in Messenger mode";
    EXPECT_TRUE(t.read("Logs/sent.Log").isEmpty()) << "a preview is not logged";

    m.mnuPreview->trigger();
    EXPECT_EQ(t.messenger->calls.size(), 2);
}

TEST_F(MessengerPreview, AFailedPreviewShowsTheMessengerBox)
{
    forms::mainform& m = t.main();
    t.messenger->code = 2273;
    m.butTest_Click();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->text, messengerBox);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane v8.0 - Information");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);

    t.messenger->code = 0;
    pinger_->silent.insert("127.0.0.1");
    const std::size_t before = t.dialogs->shown.size();
    m.butTest_Click();
    EXPECT_EQ(t.dialogs->shown.size(), before + 1);
    EXPECT_EQ(t.dialogs->last()->text, messengerBox);
    EXPECT_TRUE(m.isVisible()) << "the main window stays as it was";
}

// The preview by the Nuvo client: a client on this computer (a loopback peer) receives the file.
class ClientPreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.setSetting("SENDASIP", "YES");
        t.setSetting("PORT", QString::number(peer.port()));
        auto resolver = std::make_unique<FakeResolver>();
        resolver->names["labhost"] = peer.host();
        resolver->systemFallback = false;
        t.pending.resolver = std::move(resolver);
        t.pending.pinger = std::make_unique<FakePinger>();
        t.start();
    }
    FakeNuvo peer;
    TestProgram t;
};

TEST_F(ClientPreview, TheLocalClientReceivesTheMessageFileAndNoBoxIsShown)
{
    forms::mainform& m = t.main();
    m.messtext->setText("Preview for the client");
    const std::size_t before = t.dialogs->shown.size();
    m.butTest->click();
    EXPECT_EQ(t.dialogs->shown.size(), before);
    ASSERT_EQ(peer.connections(), 1);
    EXPECT_TRUE(peer.sessions()[0].complete);
    EXPECT_TRUE(peer.sessions()[0].file.contains("CLI_TYPE=PLAIN\r\n")) << peer.sessions()[0].file.toStdString();
    EXPECT_TRUE(peer.sessions()[0].file.endsWith("\r\nPreview for the client\r\n"));
    EXPECT_TRUE(t.read("socket.txt").endsWith("Preview for the client\r\n")) << "the file stays in the folder";
    EXPECT_EQ(t.program().module1().DeliveryStatus, "Winsock Communication Successfull");
}

TEST_F(ClientPreview, ARefusedTransferShowsTheClientBox)
{
    peer.setScript(FakeNuvo::refuse());
    t.main().butTest_Click();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->text, clientBox);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane v8.0 - Information");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
}

TEST_F(ClientPreview, AMissingPageStopsThePreviewBeforeAnyDelivery)
{
    forms::mainform& m = t.main();
    selectOption(m.optHTML);
    m.txtPathtoHTML->setText(t.path("Messages/gone.html"));
    m.butTest_Click();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_TRUE(t.dialogs->last()->text.startsWith("Cannot Locate the HTML file selected: "));
    EXPECT_EQ(t.dialogs->texts().filter("could not be sent to the local PC").size(), 0);
    EXPECT_EQ(peer.connections(), 0);
    EXPECT_TRUE(t.tcp->connectedTo.isEmpty());
    EXPECT_EQ(t.program().module1().SendCancelled, "YES");
}

// The send commands, the menus and the review stay reachable while a send waits on the network;
// each is refused, and the running send goes on to its one client untouched.
TEST_F(ClientPreview, EverySendStartedWhileAPreviewOrADistributionRunsIsRefused)
{
    forms::mainform& m = t.main();
    Module1& m1 = t.program().module1();
    FakeNuvo::Script slow;
    slow.replyDelayMs = 200;
    peer.setScript(slow);
    for (QPushButton* running : {m.butTest, m.tab1butSend}) {
        SCOPED_TRACE(running->text().toStdString());
        selectOption(m.tab1opt2);
        m.tab1sendcpu->setText("labhost");
        m.messtext->setText("first");
        t.dialogs->shown.clear();
        QTimer::singleShot(50, &m, [&] {
            m.messtext->setText("second");
            m.tab1butSend_Click();
            m.mnuSend->trigger();
            m.butTest_Click();
            m.mnuPreview_Click();
            t.program().frmReview().butSend->click();
        });
        running->click();
        EXPECT_EQ(t.dialogs->texts(), QStringList(5, "A message is being sent.  Please wait until it has been sent "
                                                     "before you send or preview another."));
        EXPECT_TRUE(peer.sessions().last().complete) << "the client message file stayed for the whole transfer";
        EXPECT_TRUE(peer.sessions().last().file.endsWith("\r\nfirst\r\n"));
        m.show();
    }
    EXPECT_EQ(peer.connections(), 2) << "one for the preview, one for the distribution";
    EXPECT_EQ(m1.TargetStatus[0], "Pass");
}

// The real save dialog, played by a timer as the operator would: "notes" typed where notes.txt exists
// is asked about before anything is replaced.
TEST(FileDialogs, ANameTypedWithoutItsExtensionIsAskedAboutBeforeAFileIsReplaced)
{
    QTemporaryDir dir;
    QFile old(dir.path() + "/notes.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    QtDialogs dialogs;
    for (const auto& [answer, chosen] :
         {std::pair{QMessageBox::No, QString()}, std::pair{QMessageBox::Yes, dir.path() + "/notes.txt"}}) {
        QStringList questions;
        bool typed = false;
        QTimer operatorAtTheScreen;
        operatorAtTheScreen.setInterval(10);
        QObject::connect(&operatorAtTheScreen, &QTimer::timeout, [&] {
            QWidget* front = QApplication::activeModalWidget();
            if (auto* question = qobject_cast<QMessageBox*>(front); question && question->isVisible()) {
                questions << question->text();
                question->button(answer)->click();
            } else if (auto* files = qobject_cast<QFileDialog*>(front); files && files->isVisible()) {
                if (typed) {
                    files->reject(); // the operator gives up after saying No
                    return;
                }
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                if (!name)
                    return;
                typed = true;
                name->setText("notes");
                QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection); // not from inside this tick
            }
        });
        operatorAtTheScreen.start();
        EXPECT_EQ(dialogs.saveFileName("Save Corvane Message File...", dir.path(), "Message Files (*.txt)"), chosen);
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions[0].contains("notes.txt")) << questions[0].toStdString();
    }
}
