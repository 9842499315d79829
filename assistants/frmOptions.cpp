#include "assistants/frmOptions.h"

#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "groups/locatehost.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

frmOptions::frmOptions(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Corvane - Options"));

    Frame4 = named(new QGroupBox(QStringLiteral("Message Template:"), this), "Frame4");
    txtTemplate = named(new MultiLineBox(Frame4), "txtTemplate");
    auto* templateLayout = new QVBoxLayout(Frame4);
    templateLayout->addWidget(txtTemplate);
    auto* templateNote = new QLabel(QStringLiteral("This is the standard message that appears in your message "
                                                   "window.  Useful for your contact details."),
                                    Frame4);
    templateNote->setWordWrap(true);
    templateLayout->addWidget(templateNote);

    Frame6 = named(new QGroupBox(QStringLiteral("Message Sent From:"), this), "Frame6");
    txtAlias = named(new QLineEdit(Frame6), "txtAlias");
    butDefault = named(new QPushButton(QStringLiteral("Reset to Host Name"), Frame6), "butDefault");
    connect(butDefault, &QPushButton::clicked, this, [this] { butDefault_Click(); });
    auto* aliasLayout = new QHBoxLayout(Frame6);
    aliasLayout->addWidget(txtAlias);
    aliasLayout->addWidget(butDefault);

    Frame5 = named(new QGroupBox(QStringLiteral("Startup:"), this), "Frame5");
    chkStartup = named(new QCheckBox(QStringLiteral("Enable splash screen at startup"), Frame5), "chkStartup");
    (new QVBoxLayout(Frame5))->addWidget(chkStartup);

    Frame3 = named(new QGroupBox(QStringLiteral("Log Sent Messages:"), this), "Frame3");
    optLogMsgON = named(new QRadioButton(QStringLiteral("On"), Frame3), "optLogMsgON");
    optLogMsgOFF = named(new QRadioButton(QStringLiteral("Off"), Frame3), "optLogMsgOFF");
    butDeleteMsgLog = named(new QPushButton(QStringLiteral("Delete Log"), Frame3), "butDeleteMsgLog");
    bindClick(optLogMsgON, [this] { optLogMsgON_Click(); });
    bindClick(optLogMsgOFF, [this] { optLogMsgOFF_Click(); });
    connect(butDeleteMsgLog, &QPushButton::clicked, this, [this] { butDeleteMsgLog_Click(); });
    auto* logLayout = new QHBoxLayout(Frame3);
    logLayout->addWidget(optLogMsgON);
    logLayout->addWidget(optLogMsgOFF);
    logLayout->addWidget(butDeleteMsgLog);

    Frame2 = named(new QGroupBox(QStringLiteral("Group Node Prefix:"), this), "Frame2");
    optPrefixON = named(new QRadioButton(QStringLiteral("On"), Frame2), "optPrefixON");
    optPrefixOFF = named(new QRadioButton(QStringLiteral("Off"), Frame2), "optPrefixOFF");
    Label3 = named(new QLabel(QStringLiteral("Prefix in Group Mode:"), Frame2), "Label3");
    txtPrefix = named(new QLineEdit(Frame2), "txtPrefix");
    bindClick(optPrefixON, [this] { optPrefixON_Click(); });
    bindClick(optPrefixOFF, [this] { optPrefixOFF_Click(); });
    auto* prefixNote = new QLabel(QStringLiteral("This box contains the 'prefix' before each node entry added in "
                                                 "group mode.  If this box is empty then no prefix is added."),
                                  Frame2);
    prefixNote->setWordWrap(true);
    auto* prefixLayout = new QGridLayout(Frame2);
    prefixLayout->addWidget(optPrefixON, 0, 0);
    prefixLayout->addWidget(optPrefixOFF, 0, 1);
    prefixLayout->addWidget(Label3, 1, 0);
    prefixLayout->addWidget(txtPrefix, 1, 1);
    prefixLayout->addWidget(prefixNote, 2, 0, 1, 2);

    Frame1 = named(new QGroupBox(QStringLiteral("Hosts File Location:"), this), "Frame1");
    // This system has one root: no drive list stands above the folder list.
    Dir1 = named(new FolderListBox(Frame1), "Dir1");
    File1 = named(new FileListBox(Frame1), "File1");
    Label2 = named(new QLabel(Frame1), "Label2");
    Dir1->onChange([this] { Dir1_Change(); });
    for (QWidget* list : {static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1)})
        list->setMinimumHeight(110);
    File1->onClick([this] { File1_Click(); });
    auto* hostsLayout = new QGridLayout(Frame1);
    hostsLayout->addWidget(Dir1, 0, 0);
    hostsLayout->addWidget(File1, 0, 1);
    hostsLayout->addWidget(Label2, 1, 0, 1, 2);

    optOKbut = named(new QPushButton(QStringLiteral("OK"), this), "optOKbut");
    connect(optOKbut, &QPushButton::clicked, this, [this] { optOKbut_Click(); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(Frame4, 0, 0, 1, 2);
    layout->addWidget(Frame6, 1, 0);
    layout->addWidget(Frame5, 1, 1);
    layout->addWidget(Frame3, 2, 0);
    layout->addWidget(Frame2, 2, 1);
    layout->addWidget(Frame1, 3, 0, 1, 2);
    layout->addWidget(optOKbut, 4, 1, Qt::AlignRight);
    // The window opens with the template box and the two lists at their smallest (a few lines and
    // rows each), everything else at its own size: it fits a small screen, and the operator may
    // enlarge it.
    const auto spare = [](const QWidget* box) {
        return std::max(0, box->sizeHint().height() - std::max(box->minimumHeight(), box->minimumSizeHint().height()));
    };
    resize(layout->sizeHint() - QSize(0, spare(txtTemplate) + spare(Dir1)));
}

void frmOptions::Form_Load()
{
    removeCloseCommand(this);
    program_.locateHost().LocateHostsFile();
    Label2->setText(m1_.HostsPath);
    const QString& v = m1_.WinVersion;
    QString folder;
    if (v == QLatin1String("Win2000") || v == QLatin1String("WinXP") || v == QLatin1String("NT 4")) {
        File1->setPattern(QStringLiteral("hosts"));
        folder = m1_.HostsPath.left(std::max<qsizetype>(0, m1_.HostsPath.size() - 5));
    } else if (v == QLatin1String("ME") || v == QLatin1String("98") || v == QLatin1String("95")) {
        File1->setPattern(QStringLiteral("hosts.sam"));
        folder = m1_.HostsPath.left(std::max<qsizetype>(0, m1_.HostsPath.size() - 9));
    } else {
        // This system keeps its hosts file under no fixed name: the lists show the files named
        // like one in the folder of the configured path.
        File1->setPattern(QStringLiteral("*hosts*"));
        folder = m1_.HostsPath.isEmpty() ? QString() : QFileInfo(m1_.HostsPath).absolutePath() + QLatin1Char('/');
    }
    Dir1->setPath(folder);
}

void frmOptions::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void frmOptions::File1_Click()
{
    // The hosts path names a file: a click that leaves none chosen keeps the one there was.
    if (File1->fileName().isEmpty())
        return;
    QString folder = Dir1->path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    Label2->setText(folder + File1->fileName());
}

void frmOptions::butDefault_Click()
{
    txtAlias->setText(upperName(m1_.ComputerName));
}
void frmOptions::optLogMsgON_Click()
{
    m1_.LogMessages = 1;
}
void frmOptions::optLogMsgOFF_Click()
{
    m1_.LogMessages = 0;
}

void frmOptions::optPrefixON_Click()
{
    Label3->setEnabled(true);
    txtPrefix->setEnabled(true);
    m1_.PrefixEnabled = 1;
}

void frmOptions::optPrefixOFF_Click()
{
    Label3->setEnabled(false);
    txtPrefix->setEnabled(false);
    m1_.PrefixEnabled = 0;
}

void frmOptions::butDeleteMsgLog_Click()
{
    if (m1_.dialogs().msgBox(QStringLiteral("Are you sure you want to erase the Sent Messages Log file?"),
                             MsgButtons::YesNo, MsgIcon::None, QStringLiteral("Corvane: Question")) != MsgAnswer::Yes)
        return;
    m1_.GetFreeFileNumber();
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/sent.Log");
    if (!writeWholeFile(path, QByteArray())) {
        m1_.dialogs().msgBox(QStringLiteral("Error writing to the sent.log file in: ") + path +
                                 QStringLiteral(".  Please close Corvane and send a message with logging enabled in "
                                                "options to re-create the file!"),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Error Writing to Log"));
        return;
    }
    program_.mainform().ListView5->clear();
}

void frmOptions::optOKbut_Click()
{
    mainform& main = program_.mainform();
    // The box holds the computer name as "Reset to Host Name" puts it, upper-cased; the system
    // gives it in its own case.
    if (main.optMessenger->isChecked() && txtAlias->text() != upperName(m1_.ComputerName)) {
        m1_.dialogs().msgBox(
            QStringLiteral("You have chosen to alter your sending alias name.  Some client terminals that have been "
                           "upgraded from Windows NT4/98/ME may NOT RECEIVE your messages sent if you change your "
                           "alias from its default.  If your clients fail to RECEIVE your messages then PLEASE click "
                           "the reset to default name button."),
            MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Warning"));
    }
    if (txtAlias->text().isEmpty())
        txtAlias->setText(QStringLiteral("Corvane Message Centre"));
    m1_.SaveIniSettings();
    m1_.GetFreeFileNumber();
    QString error;
    bool changed = false;
    const bool written = writeWholeFile(m1_.TemplateFile, toAnsi(txtTemplate->text()) + kCrLf, &error, &changed);
    if (!written) {
        m1_.dialogs().msgBox(QStringLiteral("The template.dat file could not be written (") + error +
                                 (changed ? QStringLiteral(").  It holds the new template, but a crash may still "
                                                           "bring back the old one.")
                                          : QStringLiteral(").  The message template was not changed.")),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
    }
    // The template in use is the one the file holds.
    if (written || changed)
        m1_.TemplateText = txtTemplate->text();
    if (!main.optHTML->isChecked())
        main.messtext->setText(m1_.TemplateText);
    hide();
}

} // namespace corvane::forms
