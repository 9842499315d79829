// The "Client Options" tab: delivery mode, message format and the Nuvo client's window options.
#include "console/mainform.h"

#include "assistants/frmOptions.h"
#include "console/program.h"
#include "engine/general.h"
#include "engine/textfile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildClientOptionsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabClientOptions"));

    Frame1 = named(new QGroupBox(QStringLiteral("Messaging Mode:"), tab), "Frame1");
    optMessenger =
        named(new QRadioButton(QStringLiteral("Windows Messenger Service"), Frame1), "optMessenger",
              QStringLiteral("Corvane will send messages via Windows Messenger Service to remote computers"));
    optWinsock = named(new QRadioButton(QStringLiteral("Nuvo Client"), Frame1), "optWinsock",
                       QStringLiteral("Corvane will send messages via Nuvo Client to remote computers"));
    butClientDownload =
        named(new QPushButton(QStringLiteral("Download Setup File"), Frame1), "butClientDownload",
              QStringLiteral("Download the Nuvo Client setup file so you can install onto your remote computers"));
    bindClick(optMessenger, [this] { optMessenger_Click(); });
    bindClick(optWinsock, [this] { optWinsock_Click(); });
    connect(butClientDownload, &QPushButton::clicked, this, [this] { butClientDownload_Click(); });
    auto* modeLayout = new QVBoxLayout(Frame1);
    modeLayout->addWidget(optMessenger);
    modeLayout->addWidget(optWinsock);
    modeLayout->addWidget(butClientDownload, 0, Qt::AlignLeft);

    frmNuvoOpt = named(new QGroupBox(QStringLiteral("Nuvo Client Message Options:"), tab), "frmNuvoOpt");
    lblWinTitle = named(new QLabel(QStringLiteral("Window Title:"), frmNuvoOpt), "lblWinTitle");
    txtWintitle = named(new QLineEdit(frmNuvoOpt), "txtWintitle",
                        QStringLiteral("This is the Windows Title that appears on the Nuvo Client message"));
    lblMainHeadline = named(new QLabel(QStringLiteral("Subject of Message:"), frmNuvoOpt), "lblMainHeadline");
    txtMainHeadline = named(new QLineEdit(frmNuvoOpt), "txtMainHeadline",
                            QStringLiteral("This is the main Subject line for Nuvo Client Messages"));
    chkDate = named(new QCheckBox(QStringLiteral("Show Date Sent on Client"), frmNuvoOpt), "chkDate",
                    QStringLiteral("Do you want the Date the message was sent to be displayed on the Nuvo Client"));
    chkTime = named(new QCheckBox(QStringLiteral("Show Time Sent on Client"), frmNuvoOpt), "chkTime",
                    QStringLiteral("Do you want the Time the message was sent to be displayed on the Nuvo Client"));
    bindClick(chkDate, [this] { chkDate_Click(); });
    bindClick(chkTime, [this] { chkTime_Click(); });
    auto* optLayout = new QGridLayout(frmNuvoOpt);
    optLayout->addWidget(lblWinTitle, 0, 0);
    optLayout->addWidget(txtWintitle, 0, 1);
    optLayout->addWidget(lblMainHeadline, 1, 0);
    optLayout->addWidget(txtMainHeadline, 1, 1);
    optLayout->addWidget(chkDate, 2, 0, 1, 2);
    optLayout->addWidget(chkTime, 3, 0, 1, 2);

    frmNuvofor = named(new QGroupBox(QStringLiteral("Nuvo Client Message Format:"), tab), "frmNuvofor");
    optPlain = named(new QRadioButton(QStringLiteral("Plain Text Message"), frmNuvofor), "optPlain",
                     QStringLiteral("Corvane will send a Plain Text message to the Nuvo Client"));
    optHTML = named(new QRadioButton(QStringLiteral("HTML File"), frmNuvofor), "optHTML",
                    QStringLiteral("Corvane will display a HTML file on the Nuvo Client"));
    lblHTML = named(new QLabel(QStringLiteral("Path to HTML File:"), frmNuvofor), "lblHTML");
    txtPathtoHTML =
        named(new QLineEdit(frmNuvofor), "txtPathtoHTML", QStringLiteral("Enter the Path to your HTML file"));
    butBrowse = named(new QPushButton(QStringLiteral("Browse..."), frmNuvofor), "butBrowse",
                      QStringLiteral("Click to select a HTML file to send to Nuvo Client"));
    bindClick(optPlain, [this] { optPlain_Click(); });
    bindClick(optHTML, [this] { optHTML_Click(); });
    connect(butBrowse, &QPushButton::clicked, this, [this] { butBrowse_Click(); });
    optPlain->setChecked(true);
    auto* forLayout = new QGridLayout(frmNuvofor);
    forLayout->addWidget(optPlain, 0, 0);
    forLayout->addWidget(optHTML, 0, 1);
    forLayout->addWidget(lblHTML, 1, 0);
    forLayout->addWidget(txtPathtoHTML, 1, 1);
    forLayout->addWidget(butBrowse, 1, 2);

    frmNuvotime = named(new QGroupBox(QStringLiteral("Nuvo Client Timeout"), tab), "frmNuvotime");
    chkTimeOut = named(new QCheckBox(QStringLiteral("Enable time-out value on Client"), frmNuvotime), "chkTimeOut",
                       QStringLiteral("Set a time out value on the DISPLAY of the message on the remote Client.  "
                                      "Once the value is reached the message will disappear."));
    lblMinutesDisplay =
        named(new QLabel(QStringLiteral("Show Message for [5] minutes"), frmNuvotime), "lblMinutesDisplay");
    butPlusMin = named(new QPushButton(QStringLiteral("+"), frmNuvotime), "butPlusMin",
                       QStringLiteral("Increase the time by one minute"));
    butMinusMin = named(new QPushButton(QStringLiteral("-"), frmNuvotime), "butMinusMin",
                        QStringLiteral("Decrease the time by one minute"));
    bindClick(chkTimeOut, [this] { chkTimeOut_Click(); });
    connect(butPlusMin, &QPushButton::clicked, this, [this] { butPlusMin_Click(); });
    connect(butMinusMin, &QPushButton::clicked, this, [this] { butMinusMin_Click(); });
    // The label keeps its place while it is hidden, so "+" and "-" stay where they are.
    QSizePolicy keepPlace = lblMinutesDisplay->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    lblMinutesDisplay->setSizePolicy(keepPlace);
    lblMinutesDisplay->setMinimumWidth(
        lblMinutesDisplay->fontMetrics().horizontalAdvance(QStringLiteral("Show Message for [32767] minutes.")));
    auto* timeLayout = new QHBoxLayout(frmNuvotime);
    timeLayout->addWidget(chkTimeOut);
    timeLayout->addWidget(lblMinutesDisplay);
    for (QPushButton* button : {butPlusMin, butMinusMin}) {
        button->setFixedWidth(button->sizeHint().height() * 3 / 2);
        timeLayout->addWidget(button);
    }
    timeLayout->addStretch();

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(Frame1);
    layout->addWidget(frmNuvoOpt);
    layout->addWidget(frmNuvofor);
    layout->addWidget(frmNuvotime);
    layout->addStretch();
    return tab;
}

namespace {

const QString htmlPlaceholder = QStringLiteral("<A HTML file will be used as the message to send>");

} // namespace

const QString mainform::ClientDownloadAddress =
    QStringLiteral("https://www.corvane.example/downloads/nuvoclient/setup.exe");

void mainform::optMessenger_Click()
{
    if (program_.module2().GetServiceState(QString(), QStringLiteral("Messenger")) == QLatin1String("Stopped")) {
        program_.general().RegWriteDword(
            QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Messenger"),
            QStringLiteral("Start"), 2);
        m1_.dialogs().msgBox(
            QStringLiteral("The (MESSENGER) service on this PC is not running.  Corvane requires this service to send "
                           "messages when the message mode to clients is 'Windows Messenger Service', the service will "
                           "be set to automatically start when windows reloads.  If you wish to send messages to "
                           "clients using the Windows Messenger Service then please restart your PC for the settings "
                           "to take effect."),
            MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Service"));
    }
    m1_.ServiceName = QStringLiteral("MESSENGER");
    colourOptions({optMessenger, optWinsock});
    tab1opt3->setEnabled(true);
    SetStatus(3, QStringLiteral("Message Mode Altered to Windows Messenger Service"));
    selectOption(optPlain);
    if (m1_.DomainEnabled == 0)
        tab1opt3->setEnabled(false);
    messtext->setEnabled(true);
    messtext->setText(m1_.TemplateText);
    tab1Frame1->setTitle(QStringLiteral("Message"));
    for (QWidget* client :
         std::initializer_list<QWidget*>{frmNuvoOpt, frmNuvofor, frmNuvotime, lblWinTitle, txtWintitle, lblMainHeadline,
                                         txtMainHeadline, chkDate, chkTime, optPlain, optHTML, lblHTML, txtPathtoHTML,
                                         butBrowse, chkTimeOut, lblMinutesDisplay, butPlusMin, butMinusMin})
        client->setEnabled(false);
    m1_.ClientMode = 0;
    frmOptions& options = program_.frmOptions();
    options.txtAlias->setEnabled(false);
    options.txtAlias->setText(upperName(m1_.ComputerName));
    options.butDefault->setEnabled(false);
    StatusPanel2->setText(QStringLiteral("Message Mode: Windows Messenger"));
}

void mainform::optWinsock_Click()
{
    m1_.ServiceName = QStringLiteral("NUVOCLIENT");
    colourOptions({optMessenger, optWinsock});
    selectOption(optPlain);
    SetStatus(3, QStringLiteral("Message Mode Altered to Nuvo Client"));
    tab1opt3->setEnabled(false);
    selectOption(tab1opt2);
    // The path box and Browse keep the state the format gave them.
    for (QWidget* client : std::initializer_list<QWidget*>{
             frmNuvoOpt, frmNuvofor, frmNuvotime, lblWinTitle, txtWintitle, lblMainHeadline, txtMainHeadline, chkDate,
             chkTime, optPlain, optHTML, lblHTML, chkTimeOut, lblMinutesDisplay})
        client->setEnabled(true);
    if (chkTimeOut->isChecked()) {
        butPlusMin->setEnabled(true);
        butMinusMin->setEnabled(true);
    }
    frmOptions& options = program_.frmOptions();
    options.txtAlias->setEnabled(true);
    options.butDefault->setEnabled(true);
    m1_.ClientMode = 1;
    StatusPanel2->setText(QStringLiteral("Message Mode: Nuvo Client"));
}

void mainform::optPlain_Click()
{
    colourOptions({optPlain, optHTML});
    for (QWidget* html : std::initializer_list<QWidget*>{txtPathtoHTML, butBrowse, lblHTML})
        html->setEnabled(false);
    mnuSaveMess->setEnabled(true);
    mnuOpenMess->setEnabled(true);
    tab1butclear->setEnabled(true);
    messtext->setEnabled(true);
    messtext->setText(m1_.TemplateText);
    tab1Frame1->setTitle(QStringLiteral("Message"));
}

void mainform::optHTML_Click()
{
    colourOptions({optPlain, optHTML});
    for (QWidget* html : std::initializer_list<QWidget*>{txtPathtoHTML, butBrowse, lblHTML})
        html->setEnabled(true);
    mnuSaveMess->setEnabled(false);
    mnuOpenMess->setEnabled(false);
    tab1butclear->setEnabled(false);
    messtext->setEnabled(false);
    messtext->setText(htmlPlaceholder);
    tab1Frame1->setTitle(QStringLiteral("Message - <HTML File>"));
}

void mainform::chkDate_Click()
{
    m1_.ShowDate = chkDate->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO");
}
void mainform::chkTime_Click()
{
    m1_.ShowTime = chkTime->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO");
}

void mainform::chkTimeOut_Click()
{
    showTimeOutState();
    if (!chkTimeOut->isChecked())
        m1_.TimeOutMinutes = 5;
}

void mainform::showTimeOutState()
{
    const bool on = chkTimeOut->isChecked();
    m1_.UseTimeOut = on ? QStringLiteral("YES") : QStringLiteral("NO");
    // The label names the minutes that will be sent, which are 5 unless the settings said otherwise.
    if (on)
        showMinutes();
    lblMinutesDisplay->setVisible(on);
    butPlusMin->setEnabled(on);
    butMinusMin->setEnabled(on);
}

std::int16_t oneMinuteMore(std::int16_t minutes)
{
    return minutes < 32767 ? static_cast<std::int16_t>(minutes + 1) : minutes;
}

// A time-out of less than one minute means nothing to the client.
std::int16_t oneMinuteLess(std::int16_t minutes)
{
    return minutes <= 1 ? std::int16_t{1} : static_cast<std::int16_t>(minutes - 1);
}

void mainform::showMinutes()
{
    lblMinutesDisplay->setText(QStringLiteral("Show Message for [%1] minutes.").arg(m1_.TimeOutMinutes));
}

void mainform::butPlusMin_Click()
{
    m1_.TimeOutMinutes = oneMinuteMore(m1_.TimeOutMinutes);
    showMinutes();
}

void mainform::butMinusMin_Click()
{
    m1_.TimeOutMinutes = oneMinuteLess(m1_.TimeOutMinutes);
    showMinutes();
}

void mainform::butBrowse_Click()
{
    m1_.HtmlPath = m1_.dialogs().openFileName(QStringLiteral("Select a HTML File to import..."), QString(),
                                              QStringLiteral("HTML Files (*.htm*)"));
    if (m1_.HtmlPath.isEmpty())
        return;
    txtPathtoHTML->setText(m1_.HtmlPath);
    showHtmlMessage();
}

void mainform::showHtmlMessage()
{
    messtext->setText(htmlPlaceholder + QStringLiteral("\r\n\r\n") + txtPathtoHTML->text());
}

void mainform::butClientDownload_Click()
{
    if (m1_.dialogs().msgBox(
            QStringLiteral("Nuvo Client is required to be installed on remote computers before they can receive Nuvo "
                           "Client messages.\r\n\r\nClicking Yes will begin the download of the Nuvo Client Setup "
                           "File.  You should then run this file on your remote computers to install the Nuvo Client."),
            MsgButtons::YesNo, MsgIcon::None,
            QStringLiteral("Corvane Server - Nuvo Client Download")) != MsgAnswer::Yes)
        return;
    m1_.OpenInBrowser(ClientDownloadAddress);
}

} // namespace corvane::forms
