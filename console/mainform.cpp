#include "console/mainform.h"

#include "assistants/frmOptions.h"
#include "console/frmSplash.h"
#include "console/program.h"
#include "engine/general.h"
#include "engine/textfile.h"

#include <QFile>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdlib>

namespace corvane::forms {

// Tab moves on to the next control, as in every other box of the program; a message has no tabs.
MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString MultiLineBox::text() const
{
    // The document's own characters: its plain-text form turns a no-break space (byte A0 of the
    // code page, and the second byte of many UTF-8 letters) into a space, which the file would keep.
    QString text = document()->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) // a block's end; Shift+Enter
            c = QLatin1Char('\n');
    }
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void MultiLineBox::setText(const QString& text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(plain);
}

mainform::mainform(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("mainform"));
    setWindowTitle(QStringLiteral("Corvane Server v8.0"));

    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(buildCreateMessageTab(), QStringLiteral("Create Message"));
    SSTab1->addTab(buildGroupTab(), QStringLiteral("Group Management"));
    SSTab1->addTab(buildHostsTab(), QStringLiteral("Hosts File"));
    SSTab1->addTab(buildLogsTab(), QStringLiteral("Distribution Logs"));
    SSTab1->addTab(buildClientOptionsTab(), QStringLiteral("Client Options"));
    layout->addWidget(SSTab1);
    butExitMain = new QPushButton(QStringLiteral("Exit"), central);
    butExitMain->setObjectName(QStringLiteral("butExitMain"));
    connect(butExitMain, &QPushButton::clicked, this, [this] { butExitMain_Click(); });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(butExitMain);
    layout->addLayout(bottom);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusPanel1 = new QLabel(QStringLiteral("Status: Idle"), StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("Panel1"));
    StatusPanel2 = new QLabel(StatusBar1);
    StatusPanel2->setObjectName(QStringLiteral("Panel2"));
    StatusBar1->addWidget(StatusPanel1, 1);
    StatusBar1->addPermanentWidget(StatusPanel2);
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(800);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    wirePreviewMenus();
    wireTabs();
    wireSchedule();
    // The window opens as large as its tabs ask (the logs' columns), not at the toolkit's first size
    // of two thirds of the screen, and leaves a margin of the screen around it.
    const QSize screenSize = screen()->availableSize();
    resize(sizeHint().boundedTo(QSize(screenSize.width() * 9 / 10, screenSize.height() * 9 / 10)));
}

mainform::~mainform() = default;

void mainform::buildMenus()
{
    QMenuBar* bar = menuBar();
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (mainform::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (handler)
            connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    const auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    const auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };
    filemenu = menu("filemenu", QStringLiteral("&File"));
    mnuWizard = item(filemenu, "mnuWizard", QStringLiteral("Message &Wizard..."), &mainform::mnuWizard_Click);
    separator(filemenu, "filesep4");
    mnuSaveMess = item(filemenu, "mnuSaveMess", QStringLiteral("&Save Message..."), nullptr);
    mnuOpenMess = item(filemenu, "mnuOpenMess", QStringLiteral("&Open Message..."), nullptr);
    separator(filemenu, "filesep");
    Exit = item(filemenu, "Exit", QStringLiteral("E&xit"), &mainform::Exit_Click);

    mnuMessage = menu("mnuMessage", QStringLiteral("&Message"));
    mnuSend = item(mnuMessage, "mnuSend", QStringLiteral("Send &Now"), nullptr);
    mnuPreview = item(mnuMessage, "mnuPreview", QStringLiteral("&Preview"), nullptr);
    separator(mnuMessage, "filesep2");
    mnuSchedule = item(mnuMessage, "mnuSchedule", QStringLiteral("&Schedule"), nullptr);
    for (QAction* send : {mnuSend, mnuPreview, mnuSchedule})
        send->setEnabled(false);

    menuEdit = menu("menuEdit", QStringLiteral("&Edit"));
    menuOptions = item(menuEdit, "menuOptions", QStringLiteral("&Options"), &mainform::menuOptions_Click);

    menuGroups = menu("menuGroups", QStringLiteral("&Group(s)"));
    menuManually =
        item(menuGroups, "menuManually", QStringLiteral("&Edit Group File as Text..."), &mainform::menuManually_Click);
    menuAdvancedGroup = item(menuGroups, "menuAdvancedGroup", QStringLiteral("&Advanced Group Creation"),
                             &mainform::menuAdvancedGroup_Click);

    help = menu("help", QStringLiteral("&Help"));
    menuHelp = item(help, "menuHelp", QStringLiteral("&Help files..."), &mainform::menuHelp_Click);
    mnuEmailTech = item(help, "mnuEmailTech", QStringLiteral("&E-Mail Tech Support..."), &mainform::mnuEmailTech_Click);
    separator(help, "helpsep");
    Aboutmenu = item(help, "Aboutmenu", QStringLiteral("&About"), &mainform::Aboutmenu_Click);
}

QString mainform::panelText(int panel) const
{
    return panel == 1 ? StatusPanel1->text() : StatusPanel2->text();
}

QString mainform::TrimAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString mainform::GetWindowsDir()
{
    return TrimAtNull(program_.platform().system->windowsDirectory());
}

void mainform::LoadIniSettings()
{
    m1_.GetFreeFileNumber();
    const ReadResult read = readTextLines(m1_.SettingsFile);
    QStringList problems;
    if (!read.ok)
        problems << QStringLiteral("the file could not be read: ") + read.error;
    else if (read.lines.size() < 21)
        problems << QStringLiteral("it holds %1 of its 21 lines").arg(read.lines.size());

    // Each line's value by position; a missing or damaged line keeps the setting's default.
    const auto value = [&](int line, QString& out) {
        if (line >= read.lines.size())
            return false;
        if (!keyValue(read.lines[line], out)) {
            problems << QStringLiteral("line %1 has no \"=\"").arg(line + 1);
            return false;
        }
        return true;
    };
    const auto text = [&](int line, QString& setting) {
        QString v;
        if (value(line, v))
            setting = v;
    };
    const auto number = [&](int line, std::int16_t& setting) {
        QString v;
        if (!value(line, v))
            return;
        std::int16_t n = 0;
        if (toInt16(v, n))
            setting = n;
        else
            problems << QStringLiteral("line %1 does not hold a number between -32768 and 32767").arg(line + 1);
    };

    QString hosts = QStringLiteral("/etc/hosts");
    text(0, hosts);
    m1_.HostsPath = hosts;
    number(1, m1_.PrefixEnabled);
    QString prefix = QStringLiteral("NONE");
    text(2, prefix);
    // Filling the prefix box creates the options window, whose load locates the hosts file.
    program_.frmOptions().txtPrefix->setText(prefix);
    number(3, m1_.LogMessages);
    number(4, m1_.DomainEnabled);
    number(5, m1_.ShowSplash);
    text(6, m1_.AliasName);
    text(7, m1_.SendAsIP);
    text(8, m1_.ServiceName);
    number(9, m1_.ClientPort);
    text(10, m1_.WinTitle);
    text(11, m1_.ShowDate);
    text(12, m1_.ShowTime);
    text(13, m1_.UseTimeOut);
    number(14, m1_.TimeOutMinutes);
    text(15, m1_.EnableCpuTarget);
    text(16, m1_.EnableGroupTarget);
    text(17, m1_.EnableGroupManage);
    text(18, m1_.EnableHostManage);
    text(19, m1_.EnableFrom);
    text(20, m1_.BootLog);

    if (problems.isEmpty())
        return;
    // The damaged file is kept aside before anything can write the settings again.
    QString kept;
    const QString copy = m1_.SettingsFile + QStringLiteral(".damaged");
    QByteArray damaged;
    if (readFileBytes(m1_.SettingsFile, fileSize(m1_.SettingsFile), damaged) && writeWholeFile(copy, damaged))
        kept = QStringLiteral("  The file as it was is kept as ") + copy + QStringLiteral(".");
    m1_.dialogs().msgBox(QStringLiteral("The Corvane.ini file is missing or damaged (") +
                             problems.join(QStringLiteral("; ")) +
                             QStringLiteral(").  Corvane will use default values for the settings it could not "
                                            "read.") +
                             kept,
                         MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Information"));
}

void mainform::Form_Load()
{
    // 1-2: program-wide state and paths.
    m1_.GroupDirty = 0;
    m1_.CmdLineMode = 0;
    m1_.GroupsPath = m1_.AppPath() + QStringLiteral("/Groups/");
    m1_.MessagesPath = m1_.AppPath() + QStringLiteral("/Messages/");
    m1_.MaxNodesPerGroup = 6000;
    m1_.SocketFile = m1_.AppPath() + QStringLiteral("/socket.txt");
    tab2filelist->setPath(m1_.GroupsPath);
    tab1filelist->setPath(m1_.GroupsPath);

    // 3-4
    m1_.WindowsDir = GetWindowsDir();
    m1_.ComputerName = program_.platform().system->computerName();
    removeCloseCommand(this);

    // 5-6
    LoadIniSettings();
    m1_.LogIfEnabled(QStringLiteral("*** [BOOT] Corvane Server v8.0 Loading"));

    // 7: selecting a mode runs its handler.
    if (m1_.ServiceName == QLatin1String("MESSENGER"))
        selectOption(optMessenger);
    if (m1_.ServiceName == QLatin1String("NUVOCLIENT"))
        selectOption(optWinsock);

    // 8-10: client window options.
    txtWintitle->setText(m1_.WinTitle);
    const auto tickFrom = [](QCheckBox* box, const QString& v) {
        if (v == QLatin1String("YES"))
            setTicked(box, true);
        else if (v == QLatin1String("NO"))
            setTicked(box, false);
    };
    tickFrom(chkDate, m1_.ShowDate);
    tickFrom(chkTime, m1_.ShowTime);
    tickFrom(chkTimeOut, m1_.UseTimeOut);
    showTimeOutState();

    // 11: a command line means an unattended run.
    const QString commandLine = program_.commandLine().toLower().trimmed();
    if (!commandLine.isEmpty()) {
        m1_.CmdLineMode = 1;
        m1_.LogIfEnabled(QStringLiteral("[BOOT] Command Line Options Used: ") + commandLine);
    }

    // 12-16: the options window's start-up values.
    frmOptions& options = program_.frmOptions();
    if (m1_.ShowSplash == 1)
        options.chkStartup->setChecked(true);
    if (m1_.DomainEnabled == 0)
        tab1opt3->setEnabled(false);
    else if (m1_.DomainEnabled == 1)
        tab1opt3->setEnabled(!optWinsock->isChecked());
    options.txtAlias->setText(m1_.AliasName);
    if (options.txtAlias->text() == QLatin1String("FIRSTRUN"))
        options.txtAlias->setText(upperName(m1_.ComputerName));
    if (m1_.WinVersion == QLatin1String("NT 4")) {
        options.txtAlias->setText(upperName(m1_.ComputerName));
        options.butDefault->setEnabled(false);
        options.Frame6->setEnabled(false);
        options.Frame6->setTitle(QStringLiteral("Message Sent From (Disabled in NT4)"));
        options.txtAlias->setEnabled(false);
    }
    options.Frame5->setTitle(QStringLiteral("Startup"));
    options.Frame5->setEnabled(true);
    options.chkStartup->setEnabled(true);
    setWindowTitle(QStringLiteral("Corvane Server v8.0"));

    // 17: systems the program refuses to run on.
    m1_.WinVersion = program_.wintell().GetOSName();
    static const std::pair<const char*, const char*> refused[] = {
        {"ME", "WindowsME"}, {"98", "Windows98"}, {"95", "Windows95"}};
    for (const auto& [word, name] : refused) {
        if (m1_.WinVersion == QLatin1String(word)) {
            m1_.dialogs().msgBox(QStringLiteral("Corvane does not support sending messages from a %1 computer.  "
                                                "Corvane will now Quit.")
                                     .arg(QLatin1String(name)),
                                 MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Information"));
            program_.platform().end->endNow(EXIT_FAILURE);
            return;
        }
    }

    // 18: the boot line and the splash.
    m1_.LogIfEnabled(QStringLiteral("[BOOT] Windows Version: ") + program_.wintell().SystemName());
    bool heldBack = false;
    if (m1_.CmdLineMode == 0 && m1_.ShowSplash == 1) {
        hide();
        program_.frmSplash().show();
        heldBack = true;
    }

    // 19: the template and the administrator's switches.
    m1_.LoadTemplate();
    messtext->setText(m1_.TemplateText);
    m1_.ApplyTargetSwitches();

    // 20
    if (m1_.CmdLineMode == 1) {
        CommandLineRun();
        return;
    }
    if (!heldBack)
        show();
}

void mainform::SetStatus(int ticks, const QString& text)
{
    Timer1->start();
    StatusTickCount = 0;
    StatusTicks = static_cast<std::int16_t>(ticks);
    StatusPanel1->setText(QStringLiteral("Status: ") + text);
}

void mainform::Timer1_Timer()
{
    StatusTickCount = static_cast<std::int16_t>(StatusTickCount + 1);
    if (StatusTickCount == StatusTicks) {
        StatusTickCount = 0;
        StatusTicks = 0;
        StatusPanel1->setText(QStringLiteral("Status: Idle"));
        Timer1->stop();
    }
    if (StatusTickCount == 10000)
        StatusTickCount = 0;
}

void mainform::Exit_Click()
{
    if (m1_.dialogs().msgBox(QStringLiteral("Are you sure you wish to quit Corvane ?"), MsgButtons::YesNo,
                             MsgIcon::None, QStringLiteral("Exit Corvane:")) != MsgAnswer::Yes)
        return;
    if (m1_.CheckitLogWritten == 1)
        QFile::remove(m1_.CheckitLogFile);
    m1_.SaveIniSettings();
    m1_.LogIfEnabled(QStringLiteral("[EXIT] Corvane Closed via Exit Button"));
    program_.platform().end->endNow();
}

void mainform::butExitMain_Click()
{
    Exit_Click();
}

} // namespace corvane::forms
