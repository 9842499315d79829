// The preview on the operator's own desktop, and the message files of the Messages folder.
#include "console/mainform.h"

#include "console/program.h"
#include "engine/netsend.h"
#include "engine/textfile.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace corvane::forms {

void mainform::wirePreviewMenus()
{
    connect(mnuPreview, &QAction::triggered, this, [this] { mnuPreview_Click(); });
    connect(mnuOpenMess, &QAction::triggered, this, [this] { mnuOpenMess_Click(); });
    connect(mnuSaveMess, &QAction::triggered, this, [this] { mnuSaveMess_Click(); });
    connect(butTest, &QPushButton::clicked, this, [this] { butTest_Click(); });
}

void mainform::butTest_Click()
{
    // While a delivery waits on the network the window still takes clicks; a second preview then
    // would rewrite the client file that the running send is reading.
    if (m1_.RefuseWhileSending())
        return;
    m1_.CurrentMessage = messtext->text();
    const auto over = qScopeGuard([this] { m1_.ReleaseClientMessageFile(); });
    if (m1_.ClientMode == 1) {
        m1_.SendCancelled = QStringLiteral("NO");
        m1_.WriteClientMessageFile(m1_.AppPath() + QStringLiteral("/socket.txt"));
        if (m1_.SendCancelled == QLatin1String("YES"))
            return;
    }
    SetStatus(5, QStringLiteral("The message is being sent to the local desktop for preview."));
    if (program_.netSend().DeliverMessage(m1_.ComputerName, m1_.CurrentMessage, QStringLiteral("SINGLE")))
        return;
    const QString title = QStringLiteral("Corvane v8.0 - Information");
    if (optWinsock->isChecked())
        m1_.dialogs().msgBox(
            QStringLiteral("The message could not be sent to the local PC.  For Nuvoclient messages to be previewed "
                           "the Nuvoclient must be installed and running on this computer.  See the UserGuide in the "
                           "Help Menu for more information."),
            MsgButtons::Ok, MsgIcon::Critical, title);
    else if (optMessenger->isChecked())
        m1_.dialogs().msgBox(
            QStringLiteral("The message could not be sent to the local PC.  For Messenger service messages to be "
                           "previewed the messenger service must be running on this computer.  See the UserGuide in "
                           "the Help Menu for more information."),
            MsgButtons::Ok, MsgIcon::Critical, title);
}

void mainform::mnuPreview_Click()
{
    butTest_Click();
}

bool mainform::FileExists(const QString& path)
{
    return Module1::FileExists(path);
}

namespace {
const QString messageFilter = QStringLiteral("Message Files (*.txt)");

// A name typed without an extension gets the message files' own.
QString withDefaultExtension(const QString& name)
{
    return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".txt") : name;
}
} // namespace

void mainform::mnuOpenMess_Click()
{
    const QString name =
        m1_.dialogs().openFileName(QStringLiteral("Open Corvane Message File..."), m1_.MessagesPath, messageFilter);
    m1_.GetFreeFileNumber();
    if (name.isEmpty())
        return;
    if (!FileExists(name)) {
        m1_.dialogs().msgBox(QStringLiteral("The message file does not exist!"), MsgButtons::Ok, MsgIcon::Exclamation,
                             QStringLiteral("Corvane - File Not Found"));
        return;
    }
    const ReadResult read = readTextLines(name);
    if (!read.ok) {
        m1_.dialogs().msgBox(QStringLiteral("The message file ") + name + QStringLiteral(" could not be read (") +
                                 read.error + QStringLiteral(").  The message box is unchanged."),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
        return;
    }
    // The line end that Save puts after the text is not part of the message: a file opened and
    // saved again stays as it was, and the clients show no empty line it did not hold.
    messtext->setText(read.lines.join(QStringLiteral("\r\n")));
}

void mainform::mnuSaveMess_Click()
{
    if (messtext->text().isEmpty()) {
        m1_.dialogs().msgBox(QStringLiteral("You need to type a message to save one!"), MsgButtons::Ok,
                             MsgIcon::Critical, QStringLiteral("Corvane - Error"));
        return;
    }
    const QString chosen =
        m1_.dialogs().saveFileName(QStringLiteral("Save Corvane Message File..."), m1_.MessagesPath, messageFilter);
    if (chosen.isEmpty())
        return;
    const QString name = withDefaultExtension(chosen);
    m1_.GetFreeFileNumber();
    QString error;
    bool changed = false;
    if (!writeWholeFile(name, toAnsi(messtext->text() + QStringLiteral("\r\n")), &error, &changed))
        m1_.dialogs().msgBox(QStringLiteral("The message file ") + name + QStringLiteral(" could not be saved (") +
                                 error +
                                 (changed ? QStringLiteral(").  It holds the message, but a crash may still bring "
                                                           "back what it held before; the message is still in the "
                                                           "message box.")
                                          : QStringLiteral(").  Nothing was written; the message is still in the "
                                                           "message box.")),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
}

} // namespace corvane::forms
