#include "console/frmMsg.h"

#include "console/controls.h"
#include "console/mainform.h"
#include "console/program.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

frmMsg::frmMsg(Program& program) : program_(program)
{
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(QStringLiteral("Message Log Detail - Corvane"));
    auto* facts = new QFormLayout;
    const auto fact = [&](const char* name, const QString& caption) {
        QLabel* label = named(new QLabel(this), name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts->addRow(caption, label);
        return label;
    };
    lblType = fact("lblType", QStringLiteral("Type:"));
    lblDate = fact("lblDate", QStringLiteral("Date:"));
    lblTime = fact("lblTime", QStringLiteral("Time:"));
    lblTo = fact("lblTo", QStringLiteral("Sent To:"));
    lblPass = fact("lblPass", QStringLiteral("Received Message:"));
    lblFail = fact("lblFail", QStringLiteral("Failed To Receive:"));
    lblTotal = fact("lblTotal", QStringLiteral("Total Broadcast:"));
    lblMessMode = fact("lblMessMode", QStringLiteral("Message Mode:"));

    auto* frame = new QGroupBox(QStringLiteral("Message Sent:"), this);
    txtMsg = named(new MultiLineBox(frame), "txtMsg");
    txtMsg->setReadOnly(true);
    (new QVBoxLayout(frame))->addWidget(txtMsg);

    butMsgClose = named(new QPushButton(QStringLiteral("Close Detail"), this), "butMsgClose");
    bindClick(butMsgClose, [this] { butMsgClose_Click(); });
    setWindowKeys(this, nullptr, [this] { butMsgClose->click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(butMsgClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
    resize(460, 380);
}

void frmMsg::butMsgClose_Click()
{
    program_.unloadFrmMsg();
}

} // namespace corvane::forms
