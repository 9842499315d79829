#include "console/frmReview.h"

#include "console/controls.h"
#include "console/frmProgress.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QWindow>

namespace corvane::forms {

frmReview::frmReview(Program& program) : program_(program)
{
    setObjectName(QStringLiteral("frmReview"));
    setWindowTitle(QStringLiteral("Confirmation Required"));
    // The main window takes no input while the review is open: marked as the main window's modal
    // window, the review is where the window manager hands the focus, also after a click on the main
    // window's title, so Enter and Escape always reach it.
    setWindowModality(Qt::WindowModal);
    // A click on the main window's body is another matter: the window manager activates the main
    // window itself, and the keys would go nowhere. The activation is handed straight back.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        if (isVisible() && now && now == program_.mainform().windowHandle()) {
            raise();
            activateWindow();
        }
    });
    const auto label = [this](const QString& text) { return new QLabel(text, this); };
    lblGroup = label({});
    lblGroup->setObjectName(QStringLiteral("lblGroup"));
    lblNodes = label({});
    lblNodes->setObjectName(QStringLiteral("lblNodes"));
    txtMess = new MultiLineBox(this);
    txtMess->setObjectName(QStringLiteral("txtMess"));
    txtMess->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Only a copy to read: the message sent is the main window's.
    txtMess->setReadOnly(true);
    lblWarning = label(QStringLiteral("YOUR CANNOT CANCEL A MESSAGE DURING DISTRIBUTION"));
    lblWarning->setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    butSend = new QPushButton(QStringLiteral("Send"), this);
    butSend->setObjectName(QStringLiteral("butSend"));
    butCancel = new QPushButton(QStringLiteral("Cancel"), this);
    butCancel->setObjectName(QStringLiteral("butCancel"));
    bindClick(butSend, [this] { butSend_Click(); });
    bindClick(butCancel, [this] { butCancel_Click(); });
    setWindowKeys(this, butSend, [this] { butCancel->click(); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(label(QStringLiteral("Group:")), 0, 0);
    layout->addWidget(lblGroup, 0, 1);
    layout->addWidget(label(QStringLiteral("Nodes in Group:")), 1, 0);
    layout->addWidget(lblNodes, 1, 1);
    layout->addWidget(label(QStringLiteral("Message:")), 2, 0, Qt::AlignTop);
    layout->addWidget(txtMess, 2, 1);
    layout->addWidget(lblWarning, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(butSend);
    buttons->addWidget(butCancel);
    layout->addLayout(buttons, 4, 0, 1, 2);
}

void frmReview::Form_Load()
{
    removeCloseCommand(this);
    Module1& m1 = program_.module1();
    m1.GetFreeFileNumber();
    const ReadResult group = readTextLines(m1.GroupsPath + m1.SelectedGroupFile);
    lblNodes->setText(QString::number(group.lines.size()));
    lblGroup->setText(m1.SelectedGroupFile);
    txtMess->setText(program_.mainform().messtext->text());
}

void frmReview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        program_.mainform().setEnabled(false);
        butSend->setFocus();
    }
}

void frmReview::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        program_.mainform().setEnabled(true);
}

void frmReview::butSend_Click()
{
    // The window goes away here; everything after this line reaches the program only.
    Program& program = program_;
    if (program.module1().RefuseWhileSending())
        return;
    if (program.module1().SendCancelled == QLatin1String("YES")) {
        program.unloadFrmReview();
        return;
    }
    hide();
    program.mainform().hide();
    program.unloadFrmReview();
    program.frmProgress().show();
    program.module1().SendDistribution(QStringLiteral("1"));
}

void frmReview::butCancel_Click()
{
    Program& program = program_;
    program.unloadFrmReview();
    program.mainform().show();
    program.module1().dialogs().msgBox(QStringLiteral("Your message to the group was cancelled!."), MsgButtons::Ok,
                                       MsgIcon::Information, QStringLiteral("Corvane - Information"));
}

} // namespace corvane::forms
