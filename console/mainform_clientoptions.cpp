// The "Client Options" tab: delivery mode, message format and the Nuvo client's window options.
#include "console/mainform.h"

#include "console/program.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildClientOptionsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabClientOptions"));
    const auto named = [](auto* control, const char* name, const QString& tip = {}) {
        control->setObjectName(QLatin1String(name));
        if (!tip.isEmpty())
            control->setToolTip(tip);
        return control;
    };

    Frame1 = named(new QGroupBox(QStringLiteral("Messaging Mode:"), tab), "Frame1");
    optMessenger = named(new QRadioButton(QStringLiteral("Windows Messenger Service"), Frame1), "optMessenger",
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
    modeLayout->addWidget(butClientDownload);

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
    auto* timeLayout = new QHBoxLayout(frmNuvotime);
    timeLayout->addWidget(chkTimeOut);
    timeLayout->addWidget(lblMinutesDisplay);
    timeLayout->addWidget(butPlusMin);
    timeLayout->addWidget(butMinusMin);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(Frame1);
    layout->addWidget(frmNuvoOpt);
    layout->addWidget(frmNuvofor);
    layout->addWidget(frmNuvotime);
    layout->addStretch();
    return tab;
}

void mainform::optMessenger_Click()
{
    m1_.ServiceName = QStringLiteral("MESSENGER");
    m1_.ClientMode = 0;
    StatusPanel2->setText(QStringLiteral("Windows Messenger Service"));
    colourOptions({optMessenger, optWinsock});
}

void mainform::optWinsock_Click()
{
    m1_.ServiceName = QStringLiteral("NUVOCLIENT");
    m1_.ClientMode = 1;
    StatusPanel2->setText(QStringLiteral("Nuvo Client"));
    colourOptions({optMessenger, optWinsock});
}

void mainform::optPlain_Click() { colourOptions({optPlain, optHTML}); }
void mainform::optHTML_Click() { colourOptions({optPlain, optHTML}); }
void mainform::chkDate_Click() { m1_.ShowDate = chkDate->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO"); }
void mainform::chkTime_Click() { m1_.ShowTime = chkTime->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO"); }
void mainform::chkTimeOut_Click()
{
    m1_.UseTimeOut = chkTimeOut->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO");
}
void mainform::butPlusMin_Click() {}
void mainform::butMinusMin_Click() {}
void mainform::butBrowse_Click() {}
void mainform::butClientDownload_Click() {}

} // namespace corvane::forms
