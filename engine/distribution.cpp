// The distribution: the main window's message to every node of one target, node after node, with
// each node's outcome kept for the delivery-status window and the logs.
#include "engine/module1.h"
#include "engine/netsend.h"
#include "engine/textfile.h"

#include <QScopeGuard>

namespace corvane {

namespace {

const QString kInformation = QStringLiteral("Corvane - Information");

} // namespace

QString Module1::GroupUnreadableText(const QString& error) const
{
    return QStringLiteral("The group file ") + SelectedGroupFile + QStringLiteral(" cannot be read (") + error +
           QStringLiteral(").  Please check that the group is still in the Groups folder.");
}

QString Module1::GroupTooLargeText(qsizetype lines) const
{
    return QStringLiteral("The group file %1 holds %2 lines; a distribution can send to at most %3 computers.  "
                          "Please split the group.")
        .arg(SelectedGroupFile)
        .arg(lines)
        .arg(TargetNames.size());
}

bool Module1::SendRunning() const
{
    return Distributing || (Delivery && Delivery->Busy());
}

bool Module1::RefuseWhileSending()
{
    if (!SendRunning())
        return false;
    dialogs().msgBox(QStringLiteral("A message is being sent.  Please wait until it has been sent before you send or "
                                    "preview another."),
                     MsgButtons::Ok, MsgIcon::Information, kInformation);
    return true;
}

void Module1::SendDistribution(const QString& kind)
{
    // The callers refuse a second send before they touch a window; this one has nothing to undo.
    if (RefuseWhileSending())
        return;
    Distributing = true;
    // The message this run wrote is its own until the end; another run may then remove the file.
    const auto over = qScopeGuard([this] {
        Distributing = false;
        ReleaseClientMessageFile();
    });
    IConsole& window = console();
    TargetNames.assign(6001, QString());
    TargetStatus.assign(6001, QString());
    TargetResult.assign(6001, QString());
    GroupLines.assign(10001, QString());
    CurrentMessage = window.messageText();

    // A stop before the first node: nothing recorded, the main window back for the operator.
    const auto refuse = [&](const QString& text, MsgIcon icon, const QString& title) {
        if (!text.isEmpty())
            dialogs().msgBox(text, MsgButtons::Ok, icon, title);
        window.showMainWindow();
        window.hideProgressWindow();
    };

    if (ClientMode == 1)
        WriteClientMessageFile(SocketFile);
    if (SendCancelled == QLatin1String("YES")) {
        refuse({}, MsgIcon::None, {});
        return;
    }

    const bool unattended = CmdLineMode == 1;
    const auto deliver = [&](int index, const QString& target, const QString& mode) {
        const bool passed = Delivery->DeliverMessage(target, CurrentMessage, mode);
        TargetStatus[index] = passed ? QStringLiteral("Pass") : QStringLiteral("Fail");
        TargetResult[index] = DeliveryStatus;
    };
    const int k = kind.trimmed().toInt();

    if (k == 1) {
        GetFreeFileNumber();
        const ReadResult group = readTextLines(GroupsPath + SelectedGroupFile);
        if (!group.ok) {
            if (unattended) {
                CmdLineFailed = true;
                window.hideProgressWindow();
                return;
            }
            refuse(GroupUnreadableText(group.error), MsgIcon::Exclamation, kInformation);
            return;
        }
        // The bar's step divides by the count, and every line needs its place in the results.
        if (group.lines.isEmpty()) {
            refuse(QStringLiteral("There are No Computers in this group!"), MsgIcon::None, kInformation);
            return;
        }
        if (group.lines.size() > qsizetype(TargetNames.size())) {
            refuse(GroupTooLargeText(group.lines.size()), MsgIcon::Exclamation, kInformation);
            return;
        }
        for (qsizetype i = 0; i < group.lines.size(); ++i)
            GroupLines[i] = group.lines[i];
        TargetCount = static_cast<std::int16_t>(group.lines.size());
        LogIfEnabled(QStringLiteral("[MESS] Group Target: ") + SelectedGroupFile + QStringLiteral(" [") +
                     QString::number(TargetCount) + QStringLiteral("][") + ServiceName + QStringLiteral("]"));

        double step = 100.0 / TargetCount;
        for (int i = 0; i != TargetCount; ++i) {
            double bar = window.progressValue();
            // The bar never passes 100; it reaches it with the last node.
            if (bar + step >= 100) {
                bar = 100;
                step = 0;
            }
            const QString amount = QStringLiteral("Node %1 of %2").arg(i + 1).arg(TargetCount);
            const QString upper = upperName(GroupLines[i]);
            window.setProgressNode(upper);
            window.setProgressAmount(amount);
            window.setProgressCaption(amount);
            window.setProgressValue(bar + step);
            window.repaintProgress();
            if (unattended)
                platform().tray->setText(amount);
            TargetNames[i] = upper;
            deliver(i, GroupLines[i], QStringLiteral("SINGLE"));
        }
        if (LogMessages == 1) {
            LogType = QStringLiteral("GROUP");
            LogTarget = SelectedGroupFile.left(SelectedGroupFile.size() - 4) + QStringLiteral(" (Group)");
        }
    } else if (k == 2) {
        const QString name = window.targetBoxText();
        if (name.isEmpty()) {
            refuse(QStringLiteral("You need to enter a Computer to send the message to."), MsgIcon::None, kInformation);
            return;
        }
        const QString upper = upperName(name);
        LogIfEnabled(QStringLiteral("[MESS] Single Target: ") + upper + QStringLiteral("[") + ServiceName +
                     QStringLiteral("]"));
        window.setProgressNode(upper);
        window.setProgressAmount(QStringLiteral("Node 1 of 1"));
        window.setProgressValue(0);
        window.repaintProgress();
        deliver(0, name, QStringLiteral("SINGLE"));
        TargetNames[0] = upper;
        TargetCount = 1;
        if (LogMessages == 1) {
            LogType = QStringLiteral("SINGLE");
            LogTarget = TargetNames[0];
        }
        window.setProgressValue(100);
        window.repaintProgress();
    } else if (k == 3) {
        const QString name = window.targetBoxText();
        if (name.isEmpty()) {
            refuse(QStringLiteral("You need to enter a Domain to send the message to."), MsgIcon::None, kInformation);
            return;
        }
        CurrentMessage = window.messageText();
        if (CurrentMessage.size() > 128) {
            refuse(QStringLiteral("Your Message to the Domain/Workgroup cannot be longer then 128 characters.  "
                                  "Please shorten your message or send the message in sections to the "
                                  "Domain/Workgroup."),
                   MsgIcon::Information, QStringLiteral("Corvane - Error"));
            return;
        }
        const QString upper = upperName(name);
        LogIfEnabled(QStringLiteral("[MESS] DOMAIN Target: ") + upper + QStringLiteral("[") + ServiceName +
                     QStringLiteral("]"));
        window.setProgressNode(upper);
        window.setProgressAmount(QStringLiteral("Node (DOMAIN): ") + upper);
        window.setProgressValue(0);
        window.repaintProgress();
        TargetNames[0] = upper + QStringLiteral(" (Domain)");
        TargetCount = 1;
        deliver(0, name, QStringLiteral("DOMAIN"));
        if (LogMessages == 1) {
            LogType = QStringLiteral("DOMAIN");
            LogTarget = TargetNames[0];
        }
        window.setProgressValue(100);
        window.repaintProgress();
    } else {
        // No such target kind: nothing to send to.
        refuse({}, MsgIcon::None, {});
        return;
    }

    window.setProgressValue(0);
    window.unloadProgressWindow();
    if (!unattended) {
        window.showStatusWindow();
        return;
    }
    if (LogMessages == 1) {
        window.loadStatusWindowHidden();
        window.writeSentLogRecord();
    }
    if (window.statusWindowLoaded())
        window.unloadStatusWindow();
    window.startAutoKillTimer();
}

} // namespace corvane
