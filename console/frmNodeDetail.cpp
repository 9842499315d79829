#include "console/frmNodeDetail.h"

#include "console/controls.h"
#include "console/program.h"
#include "engine/deliverystatus.h"
#include "engine/textfile.h"

#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

frmNodeDetail::frmNodeDetail(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmNodeDetail"));
    setWindowTitle(QStringLiteral("Corvane - Node Detailed Status"));
    lblNode = named(new QLabel(this), "lblNode");
    lblStatus = named(new QLabel(this), "lblStatus");
    lblPing = named(new QLabel(this), "lblPing");
    lblPrevious = named(new QLabel(this), "lblPrevious");
    auto* facts = new QFormLayout;
    facts->addRow(QStringLiteral("Node:"), lblNode);
    facts->addRow(QStringLiteral("Status:"), lblStatus);
    facts->addRow(QStringLiteral("Did Node Reply to Basic Network Communication (PING):"), lblPing);
    facts->addRow(QStringLiteral("Has Node Failed to receive previously:"), lblPrevious);

    Frame1 = new QGroupBox(QStringLiteral("Possible Reasons for failure:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    lblReason = named(new QLabel(Frame1), "lblReason");
    lblReason->setWordWrap(true);
    auto* reasons = new QVBoxLayout(Frame1);
    reasons->addWidget(lblReason);
    lblReas1 = named(new QLabel(Frame1), "lblReas1");
    lblReas2 = named(new QLabel(Frame1), "lblReas2");
    lblReas3 = named(new QLabel(Frame1), "lblReas3");
    lblReas4 = named(new QLabel(Frame1), "lblReas4");
    for (QLabel* line : {lblReas1, lblReas2, lblReas3, lblReas4}) {
        line->setWordWrap(true);
        line->setVisible(false);
        reasons->addWidget(line);
    }

    butUserGuide = new QPushButton(QStringLiteral("How do I check the above problems?"), this);
    butUserGuide->setObjectName(QStringLiteral("butUserGuide"));
    butClose = new QPushButton(QStringLiteral("Close"), this);
    butClose->setObjectName(QStringLiteral("butClose"));
    bindClick(butUserGuide, [this] { butUserGuide_Click(); });
    bindClick(butClose, [this] { butClose_Click(); });
    setWindowKeys(this, nullptr, [this] { butClose->click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(butUserGuide);
    buttons->addStretch();
    buttons->addWidget(butClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    setMinimumWidth(520);
}

void frmNodeDetail::Form_Load()
{
    removeCloseCommand(this);
}

void frmNodeDetail::ShowNode(int index)
{
    for (QLabel* line : {lblReas1, lblReas2, lblReas3, lblReas4})
        line->setVisible(false);
    if (index < 0 || index >= static_cast<int>(m1_.TargetNames.size()))
        return;

    lblNode->setText(upperName(m1_.TargetNames[index]));
    const QString status = m1_.TargetStatus[index];
    lblStatus->setText(status);
    QPalette palette = lblStatus->palette();
    palette.setColor(QPalette::WindowText, status == QLatin1String("Pass") ? QColor(0, 0, 255) : QColor(255, 0, 0));
    lblStatus->setPalette(palette);

    const QString result = m1_.TargetResult[index];
    if (result == kSent || result == kClientSent || result == kClientFailed || result == kServiceError)
        lblPing->setText(QStringLiteral("Yes"));
    else if (result == kNoPing)
        lblPing->setText(QStringLiteral("No"));
    else if (result == kDomainFailed)
        lblPing->setText(QStringLiteral("Not Applicable"));
    else
        lblPing->clear();

    // Earlier failures: the last line of the failed-nodes log that names the node decides.
    lblPrevious->setText(QStringLiteral("No, not failed before."));
    m1_.GetFreeFileNumber();
    const QString logPath = m1_.AppPath() + QStringLiteral("/Logs/FailNodes.Log");
    if (QFile::exists(logPath)) {
        const ReadResult read = readTextLines(logPath);
        if (!read.ok) {
            lblPrevious->setText(QStringLiteral("Unknown"));
            m1_.ReportUnreadable(QStringLiteral("failed-nodes log"), logPath, read.error,
                                 QStringLiteral("Whether this node has failed before is not known."));
        }
        for (const QString& line : read.lines) {
            if (line == QLatin1String(":"))
                break;
            const int colon = line.indexOf(QLatin1Char(':'));
            // Lines this program never writes (no ":") say nothing about the node.
            if (line.isEmpty() || colon < 0)
                continue;
            if (line.left(colon) == lblNode->text())
                lblPrevious->setText(QStringLiteral("Yes [") + line.mid(colon + 1).section(QLatin1Char(':'), 0, 0) +
                                     QStringLiteral("] Occasions."));
        }
    }

    // Possible causes, by delivery mode, status and the answer to the reachability test.
    const QString port = QString::number(m1_.ClientPort);
    const QString M1 = QStringLiteral("[1] The Messenger Service is not running.");
    const QString M2 = QStringLiteral("[2] NetBIOS over TCP/IP may not be enabled.");
    const QString M3 = QStringLiteral("[3] Your Alias may not be equal to your computername.");
    const QString M4 = QStringLiteral("[4] You may have a firewall disabling messages.");
    const QString D3 = QStringLiteral("[3] Your DOMAIN name was not found on this network.");
    const QString N1 = QStringLiteral("[1] The client computer is switched off (Or in a shutdown state).");
    const QString N2 = QStringLiteral("[2] The client has a physical hardware problem.");
    const QString N3 = QStringLiteral("[3] The client may have locked or crashed.");
    const QString C1 = QStringLiteral("[1] The Nuvo Client program is not running (On the client).");
    const QString C2 = QStringLiteral("[2] Nuvo Client must be listening on TCP PORT: ") + port;
    const QString C3 = QStringLiteral("[3] TCP PORT: ") + port +
                       QStringLiteral(" must be open and not blocked by a firewall (On this PC or the Client).");
    const QString C4 = QStringLiteral("[4] The computer is logged off (No user is accessing a desktop).");
    const QString couldNotSee =
        QStringLiteral("Corvane could not see the Node on your network, therefore communication "
                       "to the computer was not available.  It could be any of the below causes.");

    const QString mode = m1_.ServiceName;
    const QString ping = lblPing->text();
    QString reason;
    QStringList causes;
    if (status == QLatin1String("Pass")) {
        reason = QStringLiteral("No action to take.  Message was received by client");
    } else if (status == QLatin1String("Fail") && mode == QLatin1String("MESSENGER")) {
        if (ping == QLatin1String("Yes")) {
            reason =
                QStringLiteral("Corvane can see this Node on the network and has resolved its IP Address.  However "
                               "it could be any of the below causes, check the below settings on your client AND "
                               "your Corvane computer.");
            causes = {M1, M2, M3, M4};
        } else if (ping == QLatin1String("No")) {
            reason = couldNotSee;
            causes = {N1, N2, N3};
        } else if (ping == QLatin1String("Not Applicable")) {
            reason = QStringLiteral("Corvane could not distribute this message to the DOMAIN.  Corvane could not give "
                                    "specific information on the error.  However it may be...");
            causes = {M1, M2, D3};
        }
    } else if (status == QLatin1String("Fail") && mode == QLatin1String("NUVOCLIENT")) {
        if (ping == QLatin1String("Yes")) {
            reason =
                QStringLiteral("Corvane can see this Node on the network and has resolved its IP Address.  However "
                               "it could be any of the below causes, check the below settings on your client "
                               "computer.");
            causes = {C1, C2, C3, C4};
        } else if (ping == QLatin1String("No")) {
            reason = couldNotSee;
            causes = {N1, N2, N3};
        }
    }
    lblReason->setText(reason);
    QLabel* const targets[] = {lblReas1, lblReas2, lblReas3, lblReas4};
    for (int k = 0; k < causes.size() && k < 4; ++k) {
        targets[k]->setText(causes[k]);
        targets[k]->setVisible(true);
    }
}

void frmNodeDetail::butClose_Click()
{
    for (QLabel* line : {lblReas1, lblReas2, lblReas3, lblReas4})
        line->setVisible(false);
    program_.unloadFrmNodeDetail();
}

void frmNodeDetail::butUserGuide_Click()
{
    m1_.dialogs().msgBox(QStringLiteral("Corvane will load up the User Guide.  Look at the Troubleshooting section of "
                                        "the document to find solutions to your problems."),
                         MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Information"));
    m1_.OpenUserGuide();
}

} // namespace corvane::forms
