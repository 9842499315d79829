#include "groups/frmEdit.h"

#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "groups/groupfiles.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QMenuBar>
#include <QVBoxLayout>

namespace corvane::forms {

namespace {
const QString kInformation = QStringLiteral("Corvane - Information");
// An entry of the save's work list that is not written: a duplicate, or a line that reads like it.
const QString kRemoved = QStringLiteral("NULL-1");
} // namespace

std::function<void()> frmEdit::command(void (frmEdit::*handler)())
{
    return [this, handler] {
        if (!saving_)
            (this->*handler)();
    };
}

frmEdit::frmEdit(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Corvane - Edit Group File..."));

    auto* menuBar = new QMenuBar(this);
    mnuClipboard = named(menuBar->addMenu(QStringLiteral("&Clipboard Functions")), "mnuClipboard");
    mnuCopy = named(mnuClipboard->addAction(QStringLiteral("Copy")), "mnuCopy");
    mnuPaste = named(mnuClipboard->addAction(QStringLiteral("Paste")), "mnuPaste");
    mnuCut = named(mnuClipboard->addAction(QStringLiteral("Cut")), "mnuCut");
    connect(mnuCopy, &QAction::triggered, this, command(&frmEdit::mnuCopy_Click));
    connect(mnuPaste, &QAction::triggered, this, command(&frmEdit::mnuPaste_Click));
    connect(mnuCut, &QAction::triggered, this, command(&frmEdit::mnuCut_Click));

    butCloseForm = named(new QPushButton(QStringLiteral("Main Screen..."), this), "butCloseForm");
    connect(butCloseForm, &QPushButton::clicked, this, command(&frmEdit::butCloseForm_Click));

    Frame1 = named(new QGroupBox(QStringLiteral("Group File:"), this), "Frame1");
    butCreate = named(new QPushButton(QStringLiteral("New..."), Frame1), "butCreate");
    butOpen = named(new QPushButton(QStringLiteral("Open"), Frame1), "butOpen");
    butClose = named(new QPushButton(QStringLiteral("Close"), Frame1), "butClose");
    butSave = named(new QPushButton(QStringLiteral("Save"), Frame1), "butSave");
    connect(butCreate, &QPushButton::clicked, this, command(&frmEdit::butCreate_Click));
    connect(butOpen, &QPushButton::clicked, this, command(&frmEdit::butOpen_Click));
    connect(butClose, &QPushButton::clicked, this, command(&frmEdit::butClose_Click));
    connect(butSave, &QPushButton::clicked, this, command(&frmEdit::butSave_Click));
    auto* fileButtons = new QHBoxLayout(Frame1);
    for (QPushButton* button : {butCreate, butOpen, butClose, butSave})
        fileButtons->addWidget(button);

    Frame2 = named(new QGroupBox(QStringLiteral("ClipBoard:"), this), "Frame2");
    butCopy = named(new QPushButton(QStringLiteral("Copy"), Frame2), "butCopy");
    butCut = named(new QPushButton(QStringLiteral("Cut"), Frame2), "butCut");
    butPaste = named(new QPushButton(QStringLiteral("Paste"), Frame2), "butPaste");
    connect(butCopy, &QPushButton::clicked, this, command(&frmEdit::butCopy_Click));
    connect(butCut, &QPushButton::clicked, this, command(&frmEdit::butCut_Click));
    connect(butPaste, &QPushButton::clicked, this, command(&frmEdit::butPaste_Click));
    auto* clipButtons = new QHBoxLayout(Frame2);
    for (QPushButton* button : {butCopy, butCut, butPaste})
        clipButtons->addWidget(button);

    frameFiles = named(new QGroupBox(QStringLiteral("Group Files:"), this), "frameFiles");
    fileGroups = named(new FileListBox(frameFiles), "fileGroups");
    fileGroups->setPattern(QStringLiteral("*.mit"));
    fileGroups->onClick(command(&frmEdit::fileGroups_Click));
    (new QVBoxLayout(frameFiles))->addWidget(fileGroups);

    frameText = named(new QGroupBox(QStringLiteral("File As Text:"), this), "frameText");
    txtFile = named(new MultiLineBox(frameText), "txtFile");
    txtFile->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFile->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(txtFile, &QPlainTextEdit::textChanged, this, [this] { txtFile_Change(); });
    (new QVBoxLayout(frameText))->addWidget(txtFile);

    lblFileInfo = named(new QLabel(this), "lblFileInfo");

    auto* top = new QHBoxLayout;
    top->addWidget(Frame1);
    top->addWidget(Frame2);
    top->addStretch();
    top->addWidget(butCloseForm);
    auto* middle = new QHBoxLayout;
    middle->addWidget(frameFiles, 1);
    middle->addWidget(frameText, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(lblFileInfo);
}

void frmEdit::Form_Load()
{
    removeCloseCommand(this);
    fileGroups->setPath(m1_.GroupsPath);
    // The emptied text is no edit: the window starts in its file-list state, nothing to save.
    SetFileListState();
}

QString frmEdit::CheckFilePath() const
{
    return m1_.CheckitLogFile;
}

void frmEdit::EnableClipboard(bool enabled)
{
    for (QPushButton* button : {butCopy, butCut, butPaste})
        button->setEnabled(enabled);
    for (QAction* item : {mnuCopy, mnuCut, mnuPaste})
        item->setEnabled(enabled);
}

void frmEdit::SetFileListState()
{
    txtFile->setText(QString());
    frameFiles->setEnabled(true);
    butCreate->setEnabled(true);
    butOpen->setEnabled(false);
    butClose->setEnabled(false);
    butSave->setEnabled(false);
    frameText->setEnabled(false);
    EnableClipboard(false);
    m1_.GroupFileModified = 0;
}

void frmEdit::fileGroups_Click()
{
    butOpen->setEnabled(true);
}

void frmEdit::txtFile_Change()
{
    m1_.GroupFileModified = 1;
    butSave->setEnabled(true);
}

void frmEdit::butOpen_Click()
{
    txtFile->setText(QString());
    frameFiles->setEnabled(false);
    butCreate->setEnabled(false);
    lblFileInfo->setText(QStringLiteral("Opening File...(Please Wait)"));
    BusyPointer busy(this);

    m1_.EditGroupFile = fileGroups->fileName();
    m1_.GetFreeFileNumber();
    // A read that keeps failing is tried three times; then the operator is back at the file list.
    ReadResult read;
    for (int tries = 1;; ++tries) {
        if (!m1_.EditGroupFile.isEmpty())
            read = readTextLines(m1_.GroupsPath + m1_.EditGroupFile);
        if (read.ok)
            break;
        m1_.dialogs().msgBox(QStringLiteral("The specified file error.(TXT IMPORT)"), MsgButtons::Ok, MsgIcon::None,
                             kInformation);
        if (tries == 3) {
            SetFileListState();
            lblFileInfo->clear();
            return;
        }
    }
    QString text;
    for (const QString& line : read.lines)
        text += line + QLatin1String(kCrLf);
    txtFile->setText(text);

    frameText->setEnabled(true);
    txtFile->setEnabled(true);
    butClose->setEnabled(true);
    butOpen->setEnabled(false);
    butSave->setEnabled(false);
    m1_.GroupFileModified = 0;
    EnableClipboard(true);
}

void frmEdit::FileFailure(const QString& what, const QString& path, const QString& error, bool changed)
{
    m1_.dialogs().msgBox(what + QLatin1Char(' ') + QDir::toNativeSeparators(path) + QStringLiteral(" (") + error +
                             (changed ? QStringLiteral(").  The group file holds your text, but a crash may still "
                                                       "bring back what it held before; your text is still in the "
                                                       "editor.")
                                      : QStringLiteral(").  The group file was not changed; your text is still in "
                                                       "the editor.")),
                         MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
}

bool frmEdit::WriteCheckFile()
{
    QString error;
    m1_.GetFreeFileNumber();
    if (!writeWholeFile(CheckFilePath(), toAnsi(txtFile->text() + QLatin1String(kCrLf)), &error)) {
        FileFailure(QStringLiteral("The check file could not be written:"), CheckFilePath(), error);
        return false;
    }
    m1_.CheckitLogWritten = 1;
    return true;
}

bool frmEdit::ReadCheckFile()
{
    const ReadResult read = readTextLines(CheckFilePath());
    if (!read.ok) {
        FileFailure(QStringLiteral("The check file could not be read back:"), CheckFilePath(), read.error);
        return false;
    }
    GroupGeneral& rules = program_.groupGeneral();
    for (const QString& line : read.lines) {
        QCoreApplication::processEvents();
        if (line.isEmpty())
            continue;
        if (GroupGeneral::IsNodeNameTooLong(line)) {
            rules.ShowNodeNameTooLong(line);
            continue;
        }
        if (m1_.CheckLines.size() == m1_.MaxNodesPerGroup) {
            rules.ShowGroupFull();
            return false;
        }
        m1_.CheckLines << line;
    }
    return true;
}

bool frmEdit::TestCharacters()
{
    for (const QString& line : std::as_const(m1_.CheckLines)) {
        const QString name = upperName(line);
        m1_.CheckLinesUpper << name;
        const QChar bad = GroupGeneral::ForbiddenCharIn(name);
        if (bad.isNull())
            continue;
        const QString shown = bad == QLatin1Char('"')   ? QStringLiteral("QUOTATION MARKS")
                              : bad == QLatin1Char(' ') ? QStringLiteral("A SPACE")
                                                        : QString(bad);
        m1_.dialogs().msgBox(QStringLiteral("One of your computer lines Entered [") + name +
                                 QStringLiteral("] has an Invalid Name (contains: ") + shown +
                                 QStringLiteral(").  Please alter the text."),
                             MsgButtons::Ok, MsgIcon::None, kInformation);
        return false;
    }
    return true;
}

// Of equal names only the last stays, at its own place; every earlier one is reported and marked.
// The position of each name's last occurrence tells at once whether a later equal name exists.
void frmEdit::RemoveDuplicates()
{
    const QStringList& names = m1_.CheckLinesUpper;
    QHash<QString, qsizetype> last;
    last.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        last.insert(names[i], i);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i] != kRemoved && last.value(names[i]) > i) {
            m1_.dialogs().msgBox(QStringLiteral("Duplicate Entry Found And Removed: ") + names[i] + QLatin1Char('.'));
            m1_.CheckLines[i] = kRemoved;
        } else {
            m1_.CheckLines[i] = names[i];
        }
        if (m1_.CheckLines[i] != kRemoved)
            m1_.CheckLinesOut << m1_.CheckLines[i];
    }
}

bool frmEdit::WriteGroupFile()
{
    lblFileInfo->setText(QStringLiteral("Nodes Clean, Saving File..."));
    const QString selected = fileGroups->fileName();
    if (!selected.isEmpty())
        m1_.EditGroupFile = selected;
    const QString path = m1_.GroupsPath + m1_.EditGroupFile;
    if (selected.isEmpty() || !QFileInfo(path).isFile()) {
        FileFailure(QStringLiteral("The group file is no longer in the Groups folder:"), path,
                    QStringLiteral("deleted or renamed since it was opened"));
        return false;
    }
    QString error;
    bool changed = false;
    m1_.GetFreeFileNumber();
    if (!writeWholeFile(path, crlfLines(m1_.CheckLinesOut), &error, &changed)) {
        FileFailure(QStringLiteral("The group file could not be written:"), path, error, changed);
        return false;
    }
    return true;
}

void frmEdit::butSave_Click()
{
    m1_.CheckLines.clear();
    m1_.CheckLinesUpper.clear();
    m1_.CheckLinesOut.clear();
    lblFileInfo->setText(QStringLiteral("Checking Node Entries Before Save...(Please Wait)"));
    // The save lets window events run; the text stays as it was written to the check file.
    saving_ = true;
    txtFile->setReadOnly(true);
    bool saved = false;
    {
        BusyPointer busy(this);
        QCoreApplication::processEvents();
        if (WriteCheckFile() && ReadCheckFile() && TestCharacters()) {
            RemoveDuplicates();
            saved = WriteGroupFile();
        }
    }
    txtFile->setReadOnly(false);
    saving_ = false;
    if (!saved) {
        lblFileInfo->clear();
        return;
    }
    m1_.dialogs().msgBox(QStringLiteral("[") + QString::number(m1_.CheckLinesOut.size()) +
                             QStringLiteral("] Nodes Were Saved Into The Group: ") + m1_.EditGroupFile,
                         MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane - Group File Cleaned and Saved"));
    SetFileListState();
    lblFileInfo->clear();
}

bool frmEdit::MayDiscardEdits()
{
    return m1_.GroupFileModified != 1 ||
           m1_.dialogs().msgBox(QStringLiteral("You have made changes to the group file.  Are you sure you wish to "
                                               "close without saving?"),
                                MsgButtons::YesNo, MsgIcon::None,
                                QStringLiteral("Corvane - Question")) == MsgAnswer::Yes;
}

void frmEdit::butClose_Click()
{
    if (MayDiscardEdits())
        SetFileListState();
}

void frmEdit::butCloseForm_Click()
{
    if (!MayDiscardEdits())
        return;
    mainform& main = program_.mainform();
    main.show();
    hide();
    main.activateWindow();
    program_.groupGeneral().ResetGroupsTab();
}

void frmEdit::butCreate_Click()
{
    program_.groupGeneral().CreateGroup();
}

void frmEdit::mnuCopy_Click()
{
    QGuiApplication::clipboard()->clear();
    txtFile->copy();
}

void frmEdit::mnuCut_Click()
{
    QGuiApplication::clipboard()->clear();
    txtFile->cut();
}

void frmEdit::mnuPaste_Click()
{
    // Text from elsewhere may end its lines with CR LF or CR; the box keeps one break for each.
    QString text = QGuiApplication::clipboard()->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtFile->insertPlainText(text);
}

void frmEdit::butCopy_Click()
{
    mnuCopy_Click();
    txtFile->setFocus();
}

void frmEdit::butCut_Click()
{
    mnuCut_Click();
    txtFile->setFocus();
}

void frmEdit::butPaste_Click()
{
    mnuPaste_Click();
    txtFile->setFocus();
}

} // namespace corvane::forms
