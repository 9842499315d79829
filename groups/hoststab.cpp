// The "Hosts File" tab: the system's hosts file loaded into a text box, edited, saved, and the
// computer's name cache refreshed so that the change is seen at once.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "platform/files.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <cerrno>
#include <unistd.h>

namespace corvane::forms {

namespace {

const QString kNothingLoaded = QStringLiteral("/");

// Hands every key pressed in the box to the handler; the box still takes the key.
class KeyDownWatcher : public QObject {
public:
    KeyDownWatcher(QObject* parent, std::function<void(QKeyEvent*)> handler)
        : QObject(parent), handler_(std::move(handler))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            handler_(static_cast<QKeyEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QKeyEvent*)> handler_;
};

// The line end the file uses: CR LF when its first line ends so, else LF, the system's own.
QByteArray lineEndOf(const QByteArray& bytes)
{
    const qsizetype lf = bytes.indexOf('\n');
    return lf > 0 && bytes[lf - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

// What a failed save did to the file, and the advice that fits its cause: running as root is no
// help against a read-only or mounted file, and space is what a full disk needs.
QString saveFailureText(const QString& path, const FileSave& save)
{
    QString text = QStringLiteral("The hosts file ") + path + QStringLiteral(" could not be saved (") + save.reason +
                   QStringLiteral(").  ");
    // A rename is whole: what changed is only unconfirmed.
    if (save.changed && save.way == SaveWay::ReplaceByRename)
        text += QStringLiteral("It holds your changes, but a crash may still bring back the old text.  Your changes "
                               "are still in the box.");
    else if (save.changed)
        text += QStringLiteral("It may now hold only part of your changes: check it before the network relies on "
                               "it.  Your changes are still in the box.");
    else
        text += QStringLiteral("It is left as it was, and your changes are still in the box.");
    text += QStringLiteral("\r\n\r\n");
    const QString elsewhere = QStringLiteral("or set the hosts file's path in Options to a file you may write.");
    switch (save.error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return text + QStringLiteral("The disk that holds it is full, or your share of it is used up: free some space "
                                     "there, then click Save again.");
    case EROFS:
        if (save.mountPoint)
            return text +
                   QStringLiteral("It is mounted read-only over its folder, as a container's hosts file may be: "
                                  "running Corvane as root does not help.  Change it where it comes from, ") +
                   elsewhere;
        return text +
               QStringLiteral("It lies on a file system mounted read-only: running Corvane as root does not help.  "
                              "Have that file system mounted for writing, ") +
               elsewhere;
    case EACCES:
    case EPERM:
        if (save.mountPoint)
            return text +
                   QStringLiteral("It is mounted over its folder, as a container's hosts file is, and that mount "
                                  "does not let it be written: running Corvane as root does not help.  Change "
                                  "it where it comes from, ") +
                   elsewhere;
        if (::geteuid() == 0)
            return text +
                   QStringLiteral("Not even root may write it: it may be marked unchangeable (lsattr shows an "
                                  "\"i\", chattr -i removes it) or guarded by the system's security policy.  "
                                  "Change that, ") +
                   elsewhere;
        return text +
               QStringLiteral("To save it, run Corvane as an administrator (root), or have one give you the "
                              "right to write this file; ") +
               elsewhere;
    default:
        return text + QStringLiteral("Check the file and the disk that holds it, then click Save again; ") + elsewhere;
    }
}

} // namespace

QWidget* mainform::buildHostsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabHosts"));

    tab3frame3 = named(new QGroupBox(QStringLiteral("Host File"), tab), "tab3frame3");
    tab3butbrowse = named(new QPushButton(QStringLiteral("Load"), tab3frame3), "tab3butbrowse",
                          QStringLiteral("Click to load the hosts file on your computer"));
    tab3butClose = named(new QPushButton(QStringLiteral("Close"), tab3frame3), "tab3butClose",
                         QStringLiteral("Click to Close the hosts file without Saving"));
    tab3butsave = named(new QPushButton(QStringLiteral("Save"), tab3frame3), "tab3butsave",
                        QStringLiteral("Click to Save changes to the hosts file"));
    bindClick(tab3butbrowse, [this] { tab3butbrowse_Click(); });
    bindClick(tab3butClose, [this] { tab3butClose_Click(); });
    bindClick(tab3butsave, [this] { tab3butsave_Click(); });
    tab3butClose->setEnabled(false);
    tab3butsave->setEnabled(false);
    auto* files = new QVBoxLayout(tab3frame3);
    files->addWidget(tab3butbrowse);
    files->addWidget(tab3butClose);
    files->addWidget(tab3butsave);
    files->addStretch();

    tab3frame2 = named(new QGroupBox(QStringLiteral("Path To hosts File"), tab), "tab3frame2");
    tab3pathlbl = named(new QLabel(kNothingLoaded, tab3frame2), "tab3pathlbl");
    tab3pathlbl->setWordWrap(true);
    tab3butreload = named(new QPushButton(QStringLiteral("Refresh Host"), tab3frame2), "tab3butreload",
                          QStringLiteral("Click to Refresh the Network Name Table on the computer.  Until you click "
                                         "here any changes made to the hosts file will not be active"));
    bindClick(tab3butreload, [this] { tab3butreload_Click(); });
    tab3butreload->setEnabled(false);
    tab3lbl1 = named(new QLabel(tab3frame2), "tab3lbl1");
    tab3lbl1->setWordWrap(true);
    // The note wraps within the column as it is: its long text would otherwise widen the column the
    // moment a save shows it.
    QSizePolicy wrapInColumn(QSizePolicy::Ignored, QSizePolicy::Preferred);
    wrapInColumn.setHeightForWidth(true);
    tab3lbl1->setSizePolicy(wrapInColumn);
    // The note asks for a click on "Refresh Host below": the button stands under it, at the foot of
    // the frame, where the note's coming and going does not move it.
    auto* path = new QVBoxLayout(tab3frame2);
    path->addWidget(tab3pathlbl);
    path->addWidget(tab3lbl1);
    path->addStretch();
    path->addWidget(tab3butreload);

    tab3frame1 = named(new QGroupBox(QStringLiteral("Hosts File"), tab), "tab3frame1");
    tab3Text1 = named(new MultiLineBox(tab3frame1), "tab3Text1", QStringLiteral("Displays the Hosts file"));
    tab3Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    tab3Text1->setText(QStringLiteral("Click Load...\r\n"));
    tab3Text1->setEnabled(false);
    tab3Text1->installEventFilter(new KeyDownWatcher(tab3Text1, [this](QKeyEvent* key) {
        tab3Text1_KeyDown(key->key(), static_cast<int>(key->modifiers() >> 25));
    }));
    (new QVBoxLayout(tab3frame1))->addWidget(tab3Text1);

    auto* side = new QVBoxLayout;
    side->addWidget(tab3frame3);
    side->addWidget(tab3frame2, 1);
    auto* layout = new QHBoxLayout(tab);
    layout->addLayout(side);
    layout->addWidget(tab3frame1, 1);
    return tab;
}

void mainform::tab3butbrowse_Click()
{
    m1_.GetFreeFileNumber();
    SetStatus(3, QStringLiteral("Loading the hosts file..."));
    frmOptions& options = program_.frmOptions();
    LoadedHostsPath = options.Label2->text();
    if (LoadedHostsPath.isEmpty())
        return;
    QByteArray bytes;
    const HostsFileRead read = readHostsFile(LoadedHostsPath, bytes);
    if (read != HostsFileRead::Read) {
        m1_.dialogs().msgBox(
            read == HostsFileRead::TooLarge
                ? QStringLiteral("The file ") + LoadedHostsPath +
                      QStringLiteral(" is larger than 16 MB, far larger than any hosts file, and is not loaded.  "
                                     "Please check the default Path in Options.")
                : QStringLiteral("Cannot Locate Hosts file.  Please check the default Path in Options.  Or the file "
                                 "maybe missing or currupt.  Please see your systems administrator."),
            MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Information"));
        options.show();
        options.raise();
        return;
    }
    hostsLineEnd_ = lineEndOf(bytes);
    QString text;
    for (const QString& line : splitTextLines(bytes))
        text += line + QLatin1String(kCrLf);
    tab3pathlbl->setText(LoadedHostsPath);
    tab3Text1->setEnabled(true);
    tab3Text1->setText(text);
    hostsKeptText_ = tab3Text1->text();
    tab3butClose->setEnabled(true);
    tab3butbrowse->setEnabled(false);
}

void mainform::tab3Text1_KeyDown(int /*KeyCode*/, int /*Shift*/)
{
    tab3butsave->setEnabled(true);
}

void mainform::tab3butsave_Click()
{
    m1_.GetFreeFileNumber();
    if (!LoadedHostsPath.isEmpty()) {
        // Other programs read this file: it keeps its own line ends and ends with one line break,
        // however often it is saved.
        QString text = tab3Text1->text();
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        QByteArray bytes = toAnsi(text);
        bytes.replace(kCrLf, hostsLineEnd_);
        if (!bytes.isEmpty())
            bytes += hostsLineEnd_;
        const FileSave save = saveHostsFile(LoadedHostsPath, bytes);
        if (save.error) {
            m1_.dialogs().msgBox(saveFailureText(LoadedHostsPath, save), MsgButtons::Ok, MsgIcon::Critical,
                                 QStringLiteral("Corvane - File Access Error"));
            return;
        }
    }
    hostsKeptText_ = tab3Text1->text();
    tab3butreload->setEnabled(true);
    tab3butsave->setEnabled(false);
    tab3lbl1->setText(QStringLiteral("Important: Your new changes will not be LIVE on the network until you click "
                                     "Refresh Host below. See Help for info."));
    SetStatus(3, QStringLiteral("Hosts file Saved"));
}

void mainform::tab3butClose_Click()
{
    // Typed entries are dropped only when the operator says so, as a group's changes are; a key
    // that changed nothing (an arrow) leaves nothing to ask about.
    if (tab3butClose->isEnabled() && tab3Text1->text() != hostsKeptText_ &&
        m1_.dialogs().msgBox(QStringLiteral("Close the hosts file without saving your changes?"), MsgButtons::YesNo,
                             MsgIcon::None, QStringLiteral("Corvane - Information:")) != MsgAnswer::Yes)
        return;
    tab3Text1->setText(QStringLiteral("Click Load..."));
    tab3Text1->setEnabled(false);
    tab3butsave->setEnabled(false);
    tab3butClose->setEnabled(false);
    tab3butbrowse->setEnabled(true);
    tab3pathlbl->setText(kNothingLoaded);
    SetStatus(3, QStringLiteral("Hosts file closed"));
}

void mainform::tab3butreload_Click()
{
    QString error;
    if (program_.platform().nameCache->refresh(&error) == INameCache::Refresh::Failed) {
        m1_.dialogs().msgBox(QStringLiteral("The network name table on this computer could not be refreshed (") +
                                 error +
                                 QStringLiteral(").  The saved hosts file is in use for new look-ups; names looked "
                                                "up before may be remembered until the name cache forgets them."),
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Information"));
        return;
    }
    tab3butreload->setEnabled(false);
    tab3lbl1->clear();
    SetStatus(7, QStringLiteral("The network table on this machine has been Refreshed with the new information"));
}

} // namespace corvane::forms
