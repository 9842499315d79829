#include "assistants/frmWizard.h"

#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

namespace {

const QString kNext = QStringLiteral("Next...");
const QString kFinish = QStringLiteral("Finish");

QString minutesText(std::int16_t minutes)
{
    return QStringLiteral("The message will Show for [%1] minutes.").arg(minutes);
}

} // namespace

frmWizard::frmWizard(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(QStringLiteral("Corvane - Message Wizard"));

    lblQuestion = named(new QLabel(this), "lblQuestion");
    lblQuestion->setWordWrap(true);
    QFont bold = lblQuestion->font();
    bold.setBold(true);
    lblQuestion->setFont(bold);
    frameInfo = named(new QGroupBox(QStringLiteral("Information:"), this), "frameInfo");
    txtDetail = named(new MultiLineBox(frameInfo), "txtDetail");
    txtDetail->setReadOnly(true);
    (new QVBoxLayout(frameInfo))->addWidget(txtDetail);
    butBack = named(new QPushButton(QStringLiteral("...Back"), this), "butBack",
                    QStringLiteral("Go back a step in the wizard"));
    butFwd = named(new QPushButton(kNext, this), "butFwd", QStringLiteral("Go to the next step in the wizard"));
    connect(butBack, &QPushButton::clicked, this, [this] { butBack_Click(); });
    connect(butFwd, &QPushButton::clicked, this, [this] { butFwd_Click(); });
    // Escape is the window's Close command.
    setWindowKeys(this, butFwd, [this] { close(); });

    auto* steps = new QGridLayout;
    buildSteps();
    for (QGroupBox* frame : frmStep) {
        steps->addWidget(frame, 0, 0);
        frame->setVisible(false);
    }
    auto* middle = new QHBoxLayout;
    middle->addLayout(steps, 3);
    middle->addWidget(frameInfo, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(butBack);
    buttons->addWidget(butFwd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblQuestion);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    // The wizard becomes the program's active window when it is shown (showEvent) or when the
    // operator comes back to it from another of the program's windows.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) { focusMoved(now); });
}

void frmWizard::buildSteps()
{
    const auto frame = [this](int step, const QString& caption) {
        frmStep[step] = new QGroupBox(caption, this);
        frmStep[step]->setObjectName(QStringLiteral("frmStep%1").arg(step));
        return frmStep[step];
    };
    const auto wrapped = [](QLabel* label) {
        label->setWordWrap(true);
        return label;
    };

    frame(0, QStringLiteral("No options at this time"));

    QGroupBox* f1 = frame(1, QStringLiteral("Select Message Service:"));
    optNuvoclient = named(new QRadioButton(QStringLiteral("Nuvoclient"), f1), "optNuvoclient");
    lblNuvonote = named(wrapped(new QLabel(QStringLiteral("Provides more features and message capability.  Is required "
                                                          "to be installed and running on client computers."),
                                           f1)),
                        "lblNuvonote");
    optMessenger = named(new QRadioButton(QStringLiteral("Windows Messenger Service"), f1), "optMessenger");
    lblMessNote = named(wrapped(new QLabel(QStringLiteral("Simple format, just sends a plain text message.  No install "
                                                          "required on client computers. (Messenger service MUST be "
                                                          "running on clients to receive message)."),
                                           f1)),
                        "lblMessNote");
    bindClick(optNuvoclient, [this] { optNuvoclient_Click(); });
    bindClick(optMessenger, [this] { optMessenger_Click(); });
    optNuvoclient->setChecked(true);
    lblMessNote->setEnabled(false);
    auto* modes = new QVBoxLayout(f1);
    for (QWidget* w : std::initializer_list<QWidget*>{optNuvoclient, lblNuvonote, optMessenger, lblMessNote})
        modes->addWidget(w);
    modes->addStretch();

    QGroupBox* f2 = frame(2, QStringLiteral("Select Your Target:"));
    optSingle = named(new QRadioButton(QStringLiteral("Single Computer"), f2), "optSingle");
    optDomain = named(new QRadioButton(QStringLiteral("Domain (Messenger Service Only)"), f2), "optDomain");
    optGroup = named(new QRadioButton(QStringLiteral("Group"), f2), "optGroup");
    txtTarget = named(new QLineEdit(f2), "txtTarget");
    FileGroupDir = named(new FileListBox(f2), "FileGroupDir");
    FileGroupDir->setPattern(QStringLiteral("*.mit"));
    bindClick(optSingle, [this] { optSingle_Click(); });
    bindClick(optDomain, [this] { optDomain_Click(); });
    bindClick(optGroup, [this] { optGroup_Click(); });
    optSingle->setChecked(true);
    FileGroupDir->setEnabled(false);
    auto* targets = new QGridLayout(f2);
    targets->addWidget(optSingle, 0, 0);
    targets->addWidget(optDomain, 1, 0);
    targets->addWidget(txtTarget, 0, 1, 2, 1, Qt::AlignTop);
    targets->addWidget(optGroup, 2, 0, Qt::AlignTop);
    targets->addWidget(FileGroupDir, 2, 1);

    QGroupBox* f3 = frame(3, QStringLiteral("Nuvoclient Title and Headline:"));
    txtHeadline = named(new QLineEdit(f3), "txtHeadline");
    txtTitle = named(new QLineEdit(f3), "txtTitle");
    auto* titles = new QVBoxLayout(f3);
    titles->addWidget(new QLabel(QStringLiteral("Message Headline (Subject):"), f3));
    titles->addWidget(txtHeadline);
    titles->addWidget(new QLabel(QStringLiteral("Window Title:"), f3));
    titles->addWidget(txtTitle);
    titles->addStretch();

    QGroupBox* f4 = frame(4, QStringLiteral("Nuvoclient Date/Time and From:"));
    chkDate = named(new QCheckBox(QStringLiteral("Show Date on Client"), f4), "chkDate");
    chkTime = named(new QCheckBox(QStringLiteral("Show Time on Client"), f4), "chkTime");
    txtFrom = named(new QLineEdit(f4), "txtFrom");
    chkDate->setChecked(true);
    chkTime->setChecked(true);
    auto* dateTime = new QVBoxLayout(f4);
    dateTime->addWidget(chkDate);
    dateTime->addWidget(chkTime);
    dateTime->addWidget(new QLabel(QStringLiteral("From:"), f4));
    dateTime->addWidget(txtFrom);
    dateTime->addStretch();

    QGroupBox* f5 = frame(5, QStringLiteral("Nuvoclient TimeOut:"));
    chkTimeOut = named(new QCheckBox(QStringLiteral("Enable Time Out of Message on client."), f5), "chkTimeOut");
    butAdd = named(new QPushButton(QStringLiteral("+"), f5), "butAdd");
    butMinus = named(new QPushButton(QStringLiteral("-"), f5), "butMinus");
    lblMessShow = named(new QLabel(f5), "lblMessShow");
    chkTimeOut->setChecked(true);
    bindClick(chkTimeOut, [this] { chkTimeOut_Click(); });
    connect(butAdd, &QPushButton::clicked, this, [this] { butAdd_Click(); });
    connect(butMinus, &QPushButton::clicked, this, [this] { butMinus_Click(); });
    auto* timeOut = new QGridLayout(f5);
    timeOut->addWidget(chkTimeOut, 0, 0, 1, 3);
    timeOut->addWidget(butAdd, 1, 0);
    timeOut->addWidget(butMinus, 1, 1);
    timeOut->addWidget(lblMessShow, 1, 2);
    timeOut->setRowStretch(2, 1);

    QGroupBox* f6 = frame(6, QStringLiteral("Nuvoclient Message Type:"));
    optPlain = named(new QRadioButton(QStringLiteral("Plain Text"), f6), "optPlain");
    optHTML = named(new QRadioButton(QStringLiteral("HTML File"), f6), "optHTML");
    lblFilename = named(new QLabel(QStringLiteral("HTML File Path:"), f6), "lblFilename");
    txtHTMLfile = named(new QLineEdit(f6), "txtHTMLfile");
    butBrowse = named(new QPushButton(QStringLiteral("Browse"), f6), "butBrowse");
    bindClick(optPlain, [this] { optPlain_Click(); });
    bindClick(optHTML, [this] { optHTML_Click(); });
    connect(butBrowse, &QPushButton::clicked, this, [this] { butBrowse_Click(); });
    optPlain->setChecked(true);
    for (QWidget* html : std::initializer_list<QWidget*>{lblFilename, txtHTMLfile, butBrowse})
        html->setEnabled(false);
    auto* format = new QGridLayout(f6);
    format->addWidget(optPlain, 0, 0, 1, 2);
    format->addWidget(optHTML, 1, 0, 1, 2);
    format->addWidget(lblFilename, 2, 0, 1, 2);
    format->addWidget(txtHTMLfile, 3, 0);
    format->addWidget(butBrowse, 3, 1);
    format->setRowStretch(4, 1);

    QGroupBox* f7 = frame(7, QStringLiteral("Message:"));
    txtMessage = named(new MultiLineBox(f7), "txtMessage");
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    (new QVBoxLayout(f7))->addWidget(txtMessage);

    colour({optNuvoclient, optMessenger});
    colour({optSingle, optDomain, optGroup});
    colour({optPlain, optHTML});
}

void frmWizard::Form_Load()
{
    // On a fresh window the reset changes nothing but the message, the minutes, the list and the step.
    ResetWizard();
    ShowWizardStep();
}

void frmWizard::Form_Activate()
{
    // Groups created or deleted while the wizard was away are listed (the chosen one stays chosen).
    FileGroupDir->Refresh();
    ShowWizardStep();
}

void frmWizard::Form_Unload()
{
    ResetWizard();
    hide();
    program_.mainform().show();
}

void frmWizard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void frmWizard::focusMoved(QWindow* now)
{
    const QPointer<QWindow> before = lastFocus_;
    lastFocus_ = now;
    // Coming back from a message box or a file dialog, or from another program, is no change of
    // the program's active window.
    if (now && now == windowHandle() && isVisible() && before && before != now && before->modality() == Qt::NonModal)
        Form_Activate();
}

void frmWizard::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
    program_.unloadFrmWizard();
}

void frmWizard::colour(std::initializer_list<QRadioButton*> options)
{
    colourOptions(options, QApplication::palette().color(QPalette::ButtonText));
}

void frmWizard::hideFrames(int from, int to)
{
    for (int step = from; step <= to; ++step)
        frmStep[step]->setVisible(false);
}

void frmWizard::showStep(int step, const QString& question, const QStringList& help)
{
    lblQuestion->setText(question);
    txtDetail->setText(help.join(QStringLiteral("\r\n\r\n")));
    if (step > 0)
        frmStep[step - 1]->setVisible(false);
    if (step < 7)
        frmStep[step + 1]->setVisible(false);
    frmStep[step]->setVisible(true);
}

void frmWizard::ShowWizardStep()
{
    forms::mainform& main = program_.mainform();
    // With the Messenger service the steps of the Nuvo client's options are skipped.
    if (m1_.WizardStep == 3 && optMessenger->isChecked()) {
        copyTarget();
        m1_.WizardStep = 7;
        hideFrames(0, 6);
    }
    const int step = m1_.WizardStep;
    if (step >= 0 && step <= 7)
        setWindowTitle(QStringLiteral("Corvane Wizard - Step %1 of 8").arg(step + 1));

    switch (step) {
    case 0:
        hideFrames(1, 7);
        showStep(0, QStringLiteral(" Welcome to the Corvane Wizard!"),
                 {QStringLiteral("The Corvane wizard will guide you through the stages of creating a message to send "
                                 "to your client PCs."),
                  QStringLiteral("The steps vary depending on the options you chose.  This section will describe the "
                                 "options in more detail."),
                  QStringLiteral("You select your chosen option in the section opposite and click Next to proceed to "
                                 "the next step."),
                  QStringLiteral("Press Next to begin creating a message...")});
        butBack->setEnabled(false);
        break;
    case 1:
        showStep(1, QStringLiteral("(Q): How will your clients receive the message?"),
                 {QStringLiteral("Corvane has two ways to send messages.  One is by using Nuvoclient and the other is "
                                 "using the built in Windows Messenger Service. "),
                  QStringLiteral("For a computer to receive an Nuvoclient message it must have the Nuvoclient program "
                                 "installed and running at the time of the message."),
                  QStringLiteral("For a client to receive a Windows Messenger Service message it must have the "
                                 "messenger service running at the time of the message."),
                  QStringLiteral("Nuvoclient provides many more features then the standard messenger service which "
                                 "just allows plain text.")});
        butBack->setEnabled(true);
        break;
    case 2:
        m1_.ApplyTargetSwitches();
        showStep(2, QStringLiteral("(Q): What is your message target?"),
                 {QStringLiteral("Your message can be sent to a Group of computers or a single computer or DOMAIN "
                                 "(Messenger service only)."),
                  QStringLiteral("Groups are a collection of 'nodes' which are computers in a group.  You create and "
                                 "manage groups in the Group Management section of Corvane."),
                  QStringLiteral("For a target you can specify a hostname or IP Address."),
                  QStringLiteral("DOMAIN broadcasts are only available with the messenger service.  Type in the "
                                 "NETBIOS name for the domain to be broadcast, not the full DNS name.")});
        if (optNuvoclient->isChecked()) {
            chooseOption(main.optWinsock);
            optDomain->setEnabled(false);
            selectOption(optSingle);
        } else if (optMessenger->isChecked()) {
            chooseOption(main.optMessenger);
            optDomain->setEnabled(m1_.DomainEnabled == 0);
        }
        break;
    case 3:
        showStep(3, QStringLiteral("(Q): Whats the Message subject/headline and Window Box Title?"),
                 {QStringLiteral("You have selected to send your message via Nuvoclient.  Nuvoclient has a main "
                                 "headline and a window box title."),
                  QStringLiteral("The Headline is the main subject line at the top of the message box."),
                  QStringLiteral("The Window Title is the Name in the Window area of the Message box, most people put "
                                 "their company/dept name here.")});
        copyTarget();
        break;
    case 4:
        showStep(4, QStringLiteral("(Q): Do you want to show the date/time on the client?"),
                 {QStringLiteral("Nuvoclient allows you to set if the Date or Time is shown on the client computer."),
                  QStringLiteral("This is important when messages are sent and they have no relevance to the "
                                 "date/time when they were sent.  It will show as 'disabled' on the client if the "
                                 "boxes are unticked."),
                  QStringLiteral("The From section will display on the client as the message sender (originator).  "
                                 "So type in your name or department to show where the message came from.")});
        // An alias that the administrator has fixed is not the wizard's to change.
        txtFrom->setEnabled(program_.frmOptions().txtAlias->isEnabled());
        main.txtWintitle->setText(txtTitle->text());
        main.txtMainHeadline->setText(txtHeadline->text());
        break;
    case 5: {
        showStep(5, QStringLiteral("(Q): Do you want the message to close after a set amount of time?"),
                 {QStringLiteral("Nuvoclient allows you to set a time (minutes) for a message to be displayed on the "
                                 "client."),
                  QStringLiteral("This is useful for messages that are important for a limited time and would cause "
                                 "confusion if the message was to be displayed until the user closed the message "
                                 "(Which could be anytime if no limit is set)."),
                  QStringLiteral("To display the message until the user clicks 'Close Message' just untick the box "
                                 "opposite.")});
        showMinutes();
        setTicked(main.chkDate, chkDate->isChecked());
        setTicked(main.chkTime, chkTime->isChecked());
        QLineEdit* alias = program_.frmOptions().txtAlias;
        if (alias->isEnabled())
            alias->setText(txtFrom->text());
        break;
    }
    case 6:
        showStep(6, QStringLiteral("(Q): What type of message format do you want to send?"),
                 {QStringLiteral("Nuvoclient allows you to send a message to your clients as plain text or a HTML "
                                 "page."),
                  QStringLiteral("Plain text is great for simple messages that do not require formatting for fonts or "
                                 "images.  Its easy to read and fast to create (No external editing required)."),
                  QStringLiteral("HTML files are excellent for sending messages that require pictures/diagrams or "
                                 "complex tables of information.  HTML files are created outside Corvane (with your "
                                 "favourite editor) and then you can select the file to be sent to the client to be "
                                 "displayed in the Nuvoclient message box.")});
        setTicked(main.chkTimeOut, chkTimeOut->isChecked());
        m1_.TimeOutMinutes = m1_.WizardTimeoutMinutes;
        main.showMinutes();
        break;
    case 7: {
        // A page to send leaves no text to type: the format step stays on the screen.
        const bool page = optNuvoclient->isChecked() && optHTML->isChecked();
        if (!page)
            showStep(7, QStringLiteral("(Q): What message text do you want to send?"),
                     {QStringLiteral("Here you type in the message that you want to send to your client computers."),
                      QStringLiteral("When you click Finish you will be sent back to the Corvane Server where you can "
                                     "SEND/PREVIEW or SCHEDULE your newly created message."),
                      QStringLiteral("Thank you for using the Corvane Message Wizard.")});
        butFwd->setText(kFinish);
        if (page) {
            chooseOption(main.optHTML);
            main.txtPathtoHTML->setText(txtHTMLfile->text());
        } else {
            chooseOption(main.optPlain);
        }
        break;
    }
    case 8: {
        if (optNuvoclient->isChecked() && optHTML->isChecked())
            main.showHtmlMessage();
        else
            main.messtext->setText(txtMessage->text());
        if (butFwd->text() == kFinish) {
            ResetWizard();
            hide();
            main.show();
        }
        m1_.dialogs().msgBox(QStringLiteral("The message wizard is now complete.  All the information has been entered "
                                            "into Corvane to send your message distribution.\r\n\r\nClick the Send Now "
                                            "button to begin sending your message!"),
                             MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Wizard Completed"));
        break;
    }
    default: break;
    }
}

// The target of step 2 goes into the main window: its option first, whose handler empties the box.
void frmWizard::copyTarget()
{
    forms::mainform& main = program_.mainform();
    if (optSingle->isChecked()) {
        chooseOption(main.tab1opt2);
        main.tab1sendcpu->setText(txtTarget->text());
    } else if (optDomain->isChecked()) {
        chooseOption(main.tab1opt3);
        main.tab1sendcpu->setText(txtTarget->text());
    } else if (optGroup->isChecked()) {
        chooseOption(main.tab1opt1);
        const QString group = FileGroupDir->fileName();
        // The send tab's list shows the same group, with its count, as the operator's click would.
        if (!group.isEmpty() && main.tab1filelist->selectFile(group))
            main.tab1filelist_Click();
        else
            main.tab1filelist->clearSelection();
        m1_.SelectedGroupFile = group;
    }
}

void frmWizard::butFwd_Click()
{
    m1_.WizardStep = static_cast<std::int16_t>(m1_.WizardStep + 1);
    ShowWizardStep();
}

void frmWizard::butBack_Click()
{
    // Back from the message step with the Messenger service returns to the target step.
    if (m1_.WizardStep == 7 && optMessenger->isChecked()) {
        m1_.WizardStep = 3;
        hideFrames(1, 7);
    }
    butFwd->setText(kNext);
    m1_.WizardStep = static_cast<std::int16_t>(m1_.WizardStep - 1);
    ShowWizardStep();
}

void frmWizard::showMinutes()
{
    lblMessShow->setText(chkTimeOut->isChecked()
                             ? minutesText(m1_.WizardTimeoutMinutes)
                             : QStringLiteral("The message will Show until the user closes the message window."));
}

void frmWizard::butAdd_Click()
{
    m1_.WizardTimeoutMinutes = oneMinuteMore(m1_.WizardTimeoutMinutes);
    lblMessShow->setText(minutesText(m1_.WizardTimeoutMinutes));
}

void frmWizard::butMinus_Click()
{
    m1_.WizardTimeoutMinutes = oneMinuteLess(m1_.WizardTimeoutMinutes);
    lblMessShow->setText(minutesText(m1_.WizardTimeoutMinutes));
}

void frmWizard::chkTimeOut_Click()
{
    butAdd->setEnabled(chkTimeOut->isChecked());
    butMinus->setEnabled(chkTimeOut->isChecked());
    showMinutes();
}

void frmWizard::butBrowse_Click()
{
    m1_.HtmlPath = m1_.dialogs().openFileName(QStringLiteral("Select a HTML File to import..."), QString(),
                                              QStringLiteral("HTML Files (*.htm*)"));
    if (!m1_.HtmlPath.isEmpty())
        txtHTMLfile->setText(m1_.HtmlPath);
}

void frmWizard::optNuvoclient_Click()
{
    lblNuvonote->setEnabled(true);
    lblMessNote->setEnabled(false);
    colour({optNuvoclient, optMessenger});
}

void frmWizard::optMessenger_Click()
{
    lblMessNote->setEnabled(true);
    lblNuvonote->setEnabled(false);
    colour({optNuvoclient, optMessenger});
}

void frmWizard::optSingle_Click()
{
    txtTarget->setEnabled(true);
    FileGroupDir->setEnabled(false);
    colour({optSingle, optDomain, optGroup});
}

// A domain's name is typed as a computer's is.
void frmWizard::optDomain_Click()
{
    optSingle_Click();
}

void frmWizard::optGroup_Click()
{
    FileGroupDir->setEnabled(true);
    txtTarget->setEnabled(false);
    txtTarget->clear();
    colour({optSingle, optDomain, optGroup});
}

void frmWizard::optHTML_Click()
{
    for (QWidget* html : std::initializer_list<QWidget*>{lblFilename, butBrowse, txtHTMLfile})
        html->setEnabled(true);
    colour({optPlain, optHTML});
}

void frmWizard::optPlain_Click()
{
    for (QWidget* html : std::initializer_list<QWidget*>{lblFilename, butBrowse, txtHTMLfile})
        html->setEnabled(false);
    colour({optPlain, optHTML});
}

void frmWizard::ResetWizard()
{
    txtMessage->setText(m1_.TemplateText);
    m1_.WizardTimeoutMinutes = m1_.TimeOutMinutes;
    FileGroupDir->setPath(m1_.GroupsPath);
    m1_.WizardStep = 0;
    butFwd->setText(kNext);
    butBack->setEnabled(false);
    selectOption(optSingle);
    hideFrames(1, 7);
}

} // namespace corvane::forms
