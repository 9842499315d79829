// The "Create Message" tab: the target choice, the domain counter, Clear, and the checks of Send Now
// that stop a message before anything is sent, with the review window that confirms a group send.
#include "console/frmProgress.h"
#include "console/frmReview.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QColor textColour(QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

} // namespace

class SendTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.setSetting(QStringLiteral("DOMAIN_ENABLE"), QStringLiteral("1"));
        t.setSetting(QStringLiteral("SERVICE"), QStringLiteral("MESSENGER"));
        t.start();
        m = &t.main();
        m1 = &t.program().module1();
        t.dialogs->shown.clear();
    }
    void group(const QString& name, const QByteArray& bytes) { t.addGroup(name, bytes); }
    // The operator clicks the group in the list.
    void clickGroup(const QString& name) { ASSERT_TRUE(t.clickGroup(name)) << name.toStdString(); }
    void sendNow() { m->tab1butSend->click(); }
    QStringList boxes() const { return t.dialogs->texts(); }

    TestProgram t;
    forms::mainform* m = nullptr;
    Module1* m1 = nullptr;
};

TEST_F(SendTab, TargetOptionsSetTheirControls)
{
    selectOption(m->tab1opt1);
    EXPECT_TRUE(m->tab1filelist->isEnabled());
    EXPECT_TRUE(m->tab1lblgroup->isEnabled());
    EXPECT_FALSE(m->tab1sendcpu->isEnabled());
    EXPECT_FALSE(m->tab1lblcpu->isEnabled());
    EXPECT_EQ(textColour(m->tab1opt1), kBlue);
    EXPECT_EQ(textColour(m->tab1lblgroup), kBlue);
    EXPECT_EQ(textColour(m->tab1opt2), kBlack);
    EXPECT_EQ(textColour(m->tab1lblcpu), kBlack);

    group(QStringLiteral("SALES.mit"), "pc01\r\n\r\nPC03\r\n");
    clickGroup(QStringLiteral("SALES.mit"));
    EXPECT_EQ(m1->SelectedGroupFile, "SALES.mit");
    EXPECT_EQ(m->lblGroupNodesCtr->text(), "3 Nodes") << "an empty line in the middle counts";

    selectOption(m->tab1opt2);
    m->tab1sendcpu->setText(QStringLiteral("pc9"));
    EXPECT_FALSE(m->tab1filelist->isEnabled());
    EXPECT_TRUE(m->tab1sendcpu->isEnabled());
    EXPECT_EQ(m->lblGroupNodesCtr->text(), "");
    EXPECT_EQ(m->tab1lblcpu->text(), "Computer:");
    EXPECT_EQ(textColour(m->tab1opt2), kBlue);
    EXPECT_EQ(textColour(m->tab1lblcpu), kBlue);
    EXPECT_EQ(textColour(m->tab1opt1), kBlack);
    EXPECT_EQ(m1->SelectedGroupFile, "SALES.mit") << "no option handler forgets the group";

    selectOption(m->tab1opt3);
    EXPECT_EQ(m->tab1lblcpu->text(), "Domain:");
    EXPECT_EQ(m->tab1sendcpu->text(), "") << "the target box is emptied";
    EXPECT_EQ(textColour(m->tab1opt3), kBlue);
    EXPECT_EQ(textColour(m->tab1lblcpu), kBlue);
    EXPECT_EQ(textColour(m->tab1opt2), kBlack);
}

TEST_F(SendTab, DomainCounterTurnsRedPast128AndResetsOnAnotherTarget)
{
    selectOption(m->tab1opt3);
    m->messtext->setText(QString(128, QLatin1Char('x')));
    EXPECT_EQ(m->tab1Frame1->title(), "Message:  Character Count [128/128]");
    EXPECT_EQ(textColour(m->tab1Frame1), kBlack);
    m->messtext->setText(QString(129, QLatin1Char('x')));
    EXPECT_EQ(m->tab1Frame1->title(), "Message:  Character Count [129/128]");
    EXPECT_EQ(textColour(m->tab1Frame1), kRed);
    EXPECT_EQ(m->panelText(1), "Status: Please shorten your message, a Domain is limited to 128 characters.");

    m->tab1sendcpu->setText(QStringLiteral("WORKGROUP"));
    selectOption(m->tab1opt2);
    EXPECT_EQ(m->tab1Frame1->title(), "Message");
    EXPECT_EQ(textColour(m->tab1Frame1), kBlack);
    EXPECT_EQ(m->tab1sendcpu->text(), "");
    m->messtext->setText(QStringLiteral("a change"));
    EXPECT_EQ(m->tab1Frame1->title(), "Message") << "only a domain counts characters";
}

TEST_F(SendTab, SendCommandsFollowTheMessageAndClearDisablesThem)
{
    const auto sixEnabled = [&](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(m->tab1butSend), static_cast<QWidget*>(m->butTest),
                           static_cast<QWidget*>(m->butSchedule)})
            EXPECT_EQ(w->isEnabled(), on) << w->objectName().toStdString();
        for (QAction* a : {m->mnuSend, m->mnuPreview, m->mnuSchedule})
            EXPECT_EQ(a->isEnabled(), on) << a->objectName().toStdString();
    };
    m->messtext->setText(QString());
    sixEnabled(false);
    m->messtext->setText(QStringLiteral("Fire drill at 3"));
    sixEnabled(true);

    m1->TemplateText = QStringLiteral("Line one\r\nLine two");
    m->tab1butclear->click();
    EXPECT_EQ(m->messtext->text(), "Line one\r\nLine two");
    sixEnabled(false);
    m->messtext->insertPlainText(QStringLiteral("!"));
    sixEnabled(true);
}

TEST_F(SendTab, RefusalsComeInTheirOrderAndKeepEveryField)
{
    // Nothing chosen and nothing typed: only the message is complained about.
    selectOption(m->tab1opt1);
    m->messtext->setText(QString());
    m->tab1butSend_Click();
    EXPECT_EQ(boxes(), QStringList{"A Message is required!"});
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Information);
    EXPECT_EQ(m->panelText(1), "Status: Preparing Message for distribution...");

    // HTML chosen without a page: refused even though the box has text.
    selectOption(m->optWinsock);
    selectOption(m->optHTML);
    m->txtPathtoHTML->clear();
    t.dialogs->shown.clear();
    m->tab1butSend_Click();
    EXPECT_EQ(boxes(), QStringList{"A HTML file is required.  Click Browse on the Client Options tab to chose your "
                                   "HTML file!"});
    selectOption(m->optPlain);
    m->messtext->setText(QStringLiteral("Lunch is served"));

    const auto refusedWith = [&](const QString& text) {
        t.dialogs->shown.clear();
        m->show();
        sendNow();
        EXPECT_EQ(boxes(), QStringList{text});
        EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::None);
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
        EXPECT_TRUE(m->isVisible());
        EXPECT_FALSE(t.program().frmReviewLoaded());
        EXPECT_FALSE(t.program().frmProgressLoaded());
        EXPECT_EQ(m->messtext->text(), "Lunch is served");
    };
    selectOption(m->tab1opt1);
    m1->SelectedGroupFile.clear();
    refusedWith(QStringLiteral("You need to select a Group to send the message to."));

    group(QStringLiteral("EMPTY.mit"), "");
    clickGroup(QStringLiteral("EMPTY.mit"));
    EXPECT_EQ(m->lblGroupNodesCtr->text(), "0 Nodes");
    refusedWith(QStringLiteral("There are No Computers in this group!"));

    group(QStringLiteral("TRAIL.mit"), "PC01\r\nPC02\r\n\r\n");
    clickGroup(QStringLiteral("TRAIL.mit"));
    refusedWith(QStringLiteral("There are No Computers in this group!"));
    EXPECT_EQ(m1->SelectedGroupFile, "TRAIL.mit");

    selectOption(m->tab1opt2);
    refusedWith(QStringLiteral("You need to enter a Computer to send the message to."));
    EXPECT_EQ(m1->TargetCount, 0) << "nothing was tried";
}

TEST_F(SendTab, DomainMessageOver128IsRefusedBeforeAnyNode)
{
    selectOption(m->tab1opt3);
    m->messtext->setText(QString(129, QLatin1Char('d')));
    m->tab1sendcpu->setText(QStringLiteral("workgroup"));
    sendNow();
    EXPECT_EQ(boxes(), QStringList{"Your Message to the Domain/Workgroup cannot be longer then 128 characters.  "
                                   "Please shorten your message or send the message in sections to the "
                                   "Domain/Workgroup."});
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Error");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Information);
    EXPECT_TRUE(m->isVisible()) << "the main window comes back";
    EXPECT_FALSE(t.program().frmProgress().isVisible());
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_EQ(m1->TargetCount, 0);
    EXPECT_EQ(m1->TargetNames[0], "");
}

TEST_F(SendTab, ReviewShowsTheGroupAndCancelSendsNothing)
{
    group(QStringLiteral("OFFICE.mit"), "pc01\r\n\r\nPC03\r\n");
    selectOption(m->tab1opt1);
    clickGroup(QStringLiteral("OFFICE.mit"));
    m->messtext->setText(QStringLiteral("Two\r\nlines"));
    m->show();
    m->mnuSend->trigger();
    ASSERT_TRUE(t.program().frmReviewLoaded());
    forms::frmReview& review = t.program().frmReview();
    EXPECT_TRUE(review.isVisible());
    EXPECT_EQ(review.windowTitle(), "Confirmation Required");
    EXPECT_EQ(review.lblGroup->text(), "OFFICE.mit");
    EXPECT_EQ(review.lblNodes->text(), "3");
    EXPECT_EQ(review.txtMess->text(), "Two\r\nlines");
    EXPECT_TRUE(m->isVisible()) << "the main window stays while the review is open";
    EXPECT_FALSE(review.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(boxes().isEmpty());

    review.butCancel->click();
    EXPECT_FALSE(t.program().frmReviewLoaded());
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(boxes(), QStringList{"Your message to the group was cancelled!."});
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Information);
    EXPECT_FALSE(t.program().frmProgressLoaded());
    EXPECT_EQ(m1->TargetCount, 0);
}

TEST_F(SendTab, TheReviewHoldsTheMainWindowAndEnterSendsWhatItShows)
{
    group(QStringLiteral("A.mit"), "127.0.0.1\r\n");
    group(QStringLiteral("B.mit"), "PC01\r\nPC02\r\n");
    selectOption(m->tab1opt1);
    m->messtext->setText(QStringLiteral("first"));
    clickGroup(QStringLiteral("A.mit"));
    m->show();
    sendNow();
    forms::frmReview& review = t.program().frmReview();
    EXPECT_FALSE(m->isEnabled()) << "the main window takes no input while the review is open";
    sendNow();
    EXPECT_EQ(&t.program().frmReview(), &review) << "a disabled Send Now does nothing";

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(review.txtMess, &enter);
    EXPECT_FALSE(t.program().frmReviewLoaded());
    EXPECT_TRUE(m->isEnabled());
    EXPECT_FALSE(m->isVisible());
    ASSERT_EQ(t.messenger->calls.size(), 1);
    EXPECT_EQ(t.messenger->calls[0].message(), "first");
    EXPECT_EQ(m1->TargetNames[0], "127.0.0.1");
}

TEST_F(SendTab, AGroupLargerThanTheResultsIsRefused)
{
    QByteArray lines;
    for (int i = 0; i < 6002; ++i)
        lines += "PC" + QByteArray::number(i) + "\r\n";
    group(QStringLiteral("HUGE.mit"), lines);
    selectOption(m->tab1opt1);
    clickGroup(QStringLiteral("HUGE.mit"));
    m->messtext->setText(QStringLiteral("hello"));
    sendNow();
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes()[0].contains(QStringLiteral("6002"))) << boxes()[0].toStdString();
    EXPECT_FALSE(t.program().frmReviewLoaded());

    // The distribution refuses it by itself too, whoever calls it.
    t.dialogs->shown.clear();
    m->hide();
    m1->SendDistribution(QStringLiteral("1"));
    EXPECT_EQ(boxes().size(), 1);
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m1->TargetCount, 0);
    EXPECT_EQ(m1->TargetNames.size(), 6001u);
    EXPECT_EQ(m1->GroupLines.size(), 10001u);
    EXPECT_EQ(m1->GroupLines[0], "") << "no line was taken";
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
}

TEST_F(SendTab, AGroupFileGoneSinceItWasClickedIsRefused)
{
    group(QStringLiteral("GONE.mit"), "PC01\r\n");
    selectOption(m->tab1opt1);
    clickGroup(QStringLiteral("GONE.mit"));
    QFile::remove(t.path(QStringLiteral("Groups/GONE.mit")));
    m->messtext->setText(QStringLiteral("hello"));
    sendNow();
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_TRUE(boxes()[0].contains(QStringLiteral("GONE.mit")));
    EXPECT_FALSE(t.program().frmReviewLoaded());
    EXPECT_TRUE(m->isVisible());
}

TEST_F(SendTab, ProgressPaintsNowAndHoldsFastChangesForTheNextFrame)
{
    forms::frmProgress& progress = t.program().frmProgress();
    EXPECT_EQ(progress.windowTitle(), "Distribution Progress");
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint);
    progress.show();
    progress.Refresh();
    EXPECT_TRUE(progress.updatesEnabled()) << "the first change is painted at once";
    progress.lblNode->setText(QStringLiteral("PC02"));
    progress.Refresh();
    EXPECT_FALSE(progress.updatesEnabled()) << "a change within the same frame waits for the next";
    EXPECT_TRUE(waitFor([&] { return progress.updatesEnabled(); }))
        << "the held change is painted without a further node";
    EXPECT_EQ(progress.lblNode->text(), "PC02");
}

TEST_F(SendTab, AGroupChosenWithTheKeyboardIsChosenAndATabSwitchForgetsIt)
{
    group(QStringLiteral("A.mit"), "PC01\r\n");
    group(QStringLiteral("B.mit"), "PC01\r\nPC02\r\n");
    selectOption(m->tab1opt1);
    clickGroup(QStringLiteral("A.mit"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(m->tab1filelist, &down);
    EXPECT_EQ(m1->SelectedGroupFile, "B.mit");
    EXPECT_EQ(m->lblGroupNodesCtr->text(), "2 Nodes");

    m->SSTab1->setCurrentIndex(1);
    m->SSTab1->setCurrentIndex(0);
    EXPECT_EQ(m1->SelectedGroupFile, "");
    EXPECT_TRUE(m->tab1filelist->selectedItems().isEmpty()) << "no group is shown chosen";
    EXPECT_EQ(m->tab1filelist->fileName(), "");
}

TEST_F(SendTab, TabGoesFromTheTargetToTheMessageToTheSendCommands)
{
    const QList<QWidget*> expected{m->tab1opt1,    m->tab1opt2, m->tab1opt3,    m->tab1filelist,
                                   m->tab1sendcpu, m->messtext, m->tab1butSend, m->tab1butclear};
    QList<QWidget*> order;
    for (QWidget* w = m->tab1opt1; order.size() < expected.size(); w = w->nextInFocusChain()) {
        if (expected.contains(w))
            order << w;
    }
    EXPECT_EQ(order, expected);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(m->messtext, &tab);
    EXPECT_FALSE(m->messtext->text().contains(QLatin1Char('\t')));
}
