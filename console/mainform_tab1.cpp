// The "Create Message" tab: the message, the target and the send commands.
#include "console/mainform.h"

#include "console/frmProgress.h"
#include "console/frmReview.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildCreateMessageTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabCreateMessage"));

    tab1Frame1 = named(new QGroupBox(QStringLiteral("Message"), tab), "tab1Frame1");
    messtext = named(new MultiLineBox(tab1Frame1), "messtext", QStringLiteral("Type in your desired message here"));
    messtext->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* frameLayout = new QVBoxLayout(tab1Frame1);
    frameLayout->addWidget(messtext);
    connect(messtext, &QPlainTextEdit::textChanged, this, [this] { messtext_Change(); });

    tab1butSend = named(new QPushButton(QStringLiteral("Send Now"), tab), "tab1butSend",
                        QStringLiteral("Click to Send the Above Message"));
    tab1butclear = named(new QPushButton(QStringLiteral("Clear"), tab), "tab1butclear",
                         QStringLiteral("Clears the current message"));
    butTest = named(new QPushButton(QStringLiteral("Preview"), tab), "butTest");
    butSchedule = named(new QPushButton(QStringLiteral("Schedule"), tab), "butSchedule");
    butWizard = named(new QPushButton(QStringLiteral("Wizard"), tab), "butWizard");
    connect(butWizard, &QPushButton::clicked, this, [this] { butWizard_Click(); });
    for (QPushButton* send : {tab1butSend, butTest, butSchedule})
        send->setEnabled(false);

    tab1frame2 = named(new QGroupBox(QStringLiteral("Send To"), tab), "tab1frame2",
                       QStringLiteral("Select your message target; Group, a single computer or DOMAIN"));
    tab1opt1 = named(new QRadioButton(QStringLiteral("Group(s)"), tab1frame2), "tab1opt1",
                     QStringLiteral("Select to Send to Group(s) of Computers"));
    tab1opt2 = named(new QRadioButton(QStringLiteral("Computer"), tab1frame2), "tab1opt2",
                     QStringLiteral("Select to Send to a Single Computer"));
    tab1opt3 = named(new QRadioButton(QStringLiteral("Domain"), tab1frame2), "tab1opt3",
                     QStringLiteral("Send a message to a network DOMAIN"));
    bindClick(tab1opt1, [this] { tab1opt1_Click(); });
    bindClick(tab1opt2, [this] { tab1opt2_Click(); });
    bindClick(tab1opt3, [this] { tab1opt3_Click(); });
    tab1lblgroup = named(new QLabel(QStringLiteral("Group(s):"), tab1frame2), "tab1lblgroup");
    tab1filelist = named(new FileListBox(tab1frame2), "tab1filelist",
                         QStringLiteral("Current Groups Available.  To create more go into Group Managament"));
    tab1filelist->setPattern(QStringLiteral("*.mit"));
    lblGroupNodesCtr = named(new QLabel(tab1frame2), "lblGroupNodesCtr");
    tab1lblcpu = named(new QLabel(QStringLiteral("Computer:"), tab1frame2), "tab1lblcpu");
    tab1sendcpu = named(new QLineEdit(tab1frame2), "tab1sendcpu", QStringLiteral("Type in your target Node here"));

    bindClick(tab1butSend, [this] { tab1butSend_Click(); });
    bindClick(tab1butclear, [this] { tab1butclear_Click(); });
    connect(mnuSend, &QAction::triggered, this, [this] { mnuSend_Click(); });
    tab1filelist->onClick([this] { tab1filelist_Click(); });

    // Off until an unattended distribution is over; then it ends the program.
    AutoKillTimer = new QTimer(this);
    AutoKillTimer->setObjectName(QStringLiteral("AutoKillTimer"));
    AutoKillTimer->setInterval(5000);
    AutoKillTimer->setTimerType(Qt::PreciseTimer);
    connect(AutoKillTimer, &QTimer::timeout, this, [this] { AutoKillTimer_Timer(); });

    auto* targets = new QGridLayout(tab1frame2);
    targets->addWidget(tab1opt1, 0, 0);
    targets->addWidget(tab1opt2, 1, 0);
    targets->addWidget(tab1opt3, 2, 0);
    targets->addWidget(tab1lblgroup, 3, 0);
    targets->addWidget(tab1filelist, 4, 0);
    targets->addWidget(lblGroupNodesCtr, 5, 0);
    targets->addWidget(tab1lblcpu, 6, 0);
    targets->addWidget(tab1sendcpu, 7, 0);

    // Tab goes the way a send is made: the target, the message, then the send commands.
    const QList<QWidget*> order{tab1opt1,    tab1opt2,     tab1opt3, tab1filelist, tab1sendcpu, messtext,
                                tab1butSend, tab1butclear, butTest,  butSchedule,  butWizard};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {tab1butSend, tab1butclear, butTest, butSchedule, butWizard})
        buttons->addWidget(b);
    auto* left = new QVBoxLayout;
    left->addWidget(tab1Frame1, 1);
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(tab);
    layout->addLayout(left, 3);
    layout->addWidget(tab1frame2, 1);
    return tab;
}

namespace {

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

} // namespace

void mainform::enableSendCommands(bool enabled)
{
    for (QPushButton* send : {tab1butSend, butTest, butSchedule})
        send->setEnabled(enabled);
    for (QAction* send : {mnuSend, mnuPreview, mnuSchedule})
        send->setEnabled(enabled);
}

void mainform::tab1opt1_Click()
{
    tab1Frame1->setTitle(QStringLiteral("Message"));
    setTextColour(tab1Frame1, kBlack);
    tab1lblgroup->setEnabled(true);
    tab1filelist->setEnabled(true);
    setTextColour(tab1opt1, kBlue);
    setTextColour(tab1lblgroup, kBlue);
    setTextColour(tab1opt2, kBlack);
    setTextColour(tab1lblcpu, kBlack);
    setTextColour(tab1opt3, kBlack);
    tab1lblcpu->setEnabled(false);
    tab1sendcpu->setEnabled(false);
    tab1sendcpu->clear();
    tab1lblcpu->setText(QStringLiteral("Computer:"));
}

void mainform::tab1opt2_Click()
{
    tab1Frame1->setTitle(QStringLiteral("Message"));
    setTextColour(tab1Frame1, kBlack);
    tab1lblgroup->setEnabled(false);
    tab1filelist->setEnabled(false);
    setTextColour(tab1opt1, kBlack);
    setTextColour(tab1lblgroup, kBlack);
    setTextColour(tab1opt2, kBlue);
    setTextColour(tab1lblcpu, kBlue);
    setTextColour(tab1opt3, kBlack);
    tab1lblcpu->setEnabled(true);
    tab1sendcpu->setEnabled(true);
    tab1sendcpu->clear();
    lblGroupNodesCtr->clear();
    tab1lblcpu->setText(QStringLiteral("Computer:"));
}

void mainform::tab1opt3_Click()
{
    drawDomainCounter();
    tab1lblgroup->setEnabled(false);
    tab1filelist->setEnabled(false);
    setTextColour(tab1opt1, kBlack);
    setTextColour(tab1lblgroup, kBlack);
    setTextColour(tab1opt2, kBlack);
    setTextColour(tab1lblcpu, kBlue);
    setTextColour(tab1opt3, kBlue);
    tab1lblcpu->setEnabled(true);
    tab1sendcpu->setEnabled(true);
    tab1sendcpu->clear();
    lblGroupNodesCtr->clear();
    tab1lblcpu->setText(QStringLiteral("Domain:"));
}

// A domain takes at most 128 characters; the frame counts them (line breaks as two) and turns red
// beyond.
void mainform::drawDomainCounter()
{
    const qsizetype n = messtext->text().size();
    tab1Frame1->setTitle(QStringLiteral("Message:  Character Count [%1/128]").arg(n));
    if (n <= 128) {
        setTextColour(tab1Frame1, kBlack);
    } else {
        SetStatus(5, QStringLiteral("Please shorten your message, a Domain is limited to 128 characters."));
        setTextColour(tab1Frame1, kRed);
    }
}

void mainform::messtext_Change()
{
    enableSendCommands(true);
    if (messtext->toPlainText().isEmpty())
        enableSendCommands(false);
    if (tab1lblcpu->text() == QLatin1String("Domain:"))
        drawDomainCounter();
}

void mainform::tab1butclear_Click()
{
    messtext->setText(m1_.TemplateText);
    enableSendCommands(false);
}

void mainform::tab1filelist_Click()
{
    const QString name = tab1filelist->fileName();
    if (name.isEmpty())
        return;
    m1_.SelectedGroupFile = name;
    m1_.GetFreeFileNumber();
    const ReadResult group = readTextLines(m1_.GroupsPath + name);
    if (!group.ok) {
        lblGroupNodesCtr->clear();
        m1_.dialogs().msgBox(QStringLiteral("The group file ") + name + QStringLiteral(" cannot be read (") +
                                 group.error + QStringLiteral(")."),
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Information"));
        return;
    }
    lblGroupNodesCtr->setText(QString::number(group.lines.size()) + QStringLiteral(" Nodes"));
}

void mainform::mnuSend_Click()
{
    tab1butSend_Click();
}

void mainform::tab1butSend_Click()
{
    Program& program = program_;
    if (m1_.RefuseWhileSending())
        return;
    m1_.SendCancelled = QStringLiteral("NO");
    m1_.CurrentMessage = messtext->text();
    SetStatus(5, QStringLiteral("Preparing Message for distribution..."));
    const QString info = QStringLiteral("Corvane - Information");
    // An unattended run has never shown the main window: after a refusal it must, or the program
    // would stay open with no window for the operator.
    const auto bringBackUnattended = [this] {
        if (m1_.CmdLineMode == 1)
            show();
    };
    if (m1_.CurrentMessage.isEmpty()) {
        m1_.dialogs().msgBox(QStringLiteral("A Message is required!"), MsgButtons::Ok, MsgIcon::Information, info);
        bringBackUnattended();
        return;
    }
    if (optHTML->isChecked() && txtPathtoHTML->text().isEmpty()) {
        m1_.dialogs().msgBox(QStringLiteral("A HTML file is required.  Click Browse on the Client Options tab to "
                                            "chose your HTML file!"),
                             MsgButtons::Ok, MsgIcon::Information, info);
        bringBackUnattended();
        return;
    }
    // A refusal of the target brings the main window back, which an unattended run has hidden.
    const auto refuse = [&](const QString& text, MsgIcon icon = MsgIcon::None) {
        program.hideProgressWindow();
        show();
        m1_.dialogs().msgBox(text, MsgButtons::Ok, icon, info);
    };

    if (tab1opt1->isChecked()) {
        if (m1_.SelectedGroupFile.isEmpty()) {
            refuse(QStringLiteral("You need to select a Group to send the message to."));
            return;
        }
        m1_.GetFreeFileNumber();
        const ReadResult group = readTextLines(m1_.GroupsPath + m1_.SelectedGroupFile);
        if (!group.ok) {
            // Unattended, nobody is there to read a box: the run ends in its failure tail.
            if (m1_.CmdLineMode == 1) {
                m1_.CmdLineFailed = true;
                return;
            }
            refuse(m1_.GroupUnreadableText(group.error), MsgIcon::Exclamation);
            return;
        }
        if (group.lines.isEmpty() || group.lines.last().isEmpty()) {
            refuse(QStringLiteral("There are No Computers in this group!"));
            return;
        }
        if (group.lines.size() > qsizetype(m1_.TargetNames.size())) {
            refuse(m1_.GroupTooLargeText(group.lines.size()), MsgIcon::Exclamation);
            return;
        }
        if (m1_.CmdLineMode == 0) {
            // A review still open from an earlier Send Now is shown afresh with this group and message.
            program.unloadFrmReview();
            program.frmReview().show();
            return;
        }
        hide();
        m1_.SendDistribution(QStringLiteral("1"));
        return;
    }
    if (tab1opt2->isChecked()) {
        if (tab1sendcpu->text().isEmpty()) {
            refuse(QStringLiteral("You need to enter a Computer to send the message to."));
            return;
        }
        hide();
        if (m1_.CmdLineMode == 0)
            program.frmProgress().show();
        m1_.SendDistribution(QStringLiteral("2"));
        return;
    }
    if (tab1opt3->isChecked()) {
        hide();
        if (m1_.CmdLineMode == 0)
            program.frmProgress().show();
        m1_.SendDistribution(QStringLiteral("3"));
    }
}

void mainform::AutoKillTimer_Timer()
{
    AutoKillTimer->stop();
    program_.platform().end->endNow();
}

} // namespace corvane::forms
