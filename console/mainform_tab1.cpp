// The "Create Message" tab: the message, the target and the send commands.
#include "console/mainform.h"

#include "console/program.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildCreateMessageTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabCreateMessage"));
    const auto named = [](auto* control, const char* name, const QString& tip = {}) {
        control->setObjectName(QLatin1String(name));
        if (!tip.isEmpty())
            control->setToolTip(tip);
        return control;
    };

    tab1Frame1 = named(new QGroupBox(QStringLiteral("Message"), tab), "tab1Frame1");
    messtext = named(new MultiLineBox(tab1Frame1), "messtext", QStringLiteral("Type in your desired message here"));
    messtext->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* frameLayout = new QVBoxLayout(tab1Frame1);
    frameLayout->addWidget(messtext);
    connect(messtext, &QPlainTextEdit::textChanged, this, [this] { messtext_Change(); });

    tab1butSend = named(new QPushButton(QStringLiteral("Send Now"), tab), "tab1butSend",
                        QStringLiteral("Click to Send the Above Message"));
    tab1butclear = named(new QPushButton(QStringLiteral("Clear"), tab), "tab1butclear",
                         QStringLiteral("Clears the current message"));
    butTest = named(new QPushButton(QStringLiteral("Preview"), tab), "butTest");
    butSchedule = named(new QPushButton(QStringLiteral("Schedule"), tab), "butSchedule");
    butWizard = named(new QPushButton(QStringLiteral("Wizard"), tab), "butWizard");
    for (QPushButton* send : {tab1butSend, butTest, butSchedule})
        send->setEnabled(false);

    tab1frame2 = named(new QGroupBox(QStringLiteral("Send To"), tab), "tab1frame2",
                       QStringLiteral("Select your message target; Group, a single computer or DOMAIN"));
    tab1opt1 = named(new QRadioButton(QStringLiteral("Group(s)"), tab1frame2), "tab1opt1",
                     QStringLiteral("Select to Send to Group(s) of Computers"));
    tab1opt2 = named(new QRadioButton(QStringLiteral("Computer"), tab1frame2), "tab1opt2",
                     QStringLiteral("Select to Send to a Single Computer"));
    tab1opt3 = named(new QRadioButton(QStringLiteral("Domain"), tab1frame2), "tab1opt3",
                     QStringLiteral("Send a message to a network DOMAIN"));
    bindClick(tab1opt1, [this] { tab1opt1_Click(); });
    bindClick(tab1opt2, [this] { tab1opt2_Click(); });
    bindClick(tab1opt3, [this] { tab1opt3_Click(); });
    tab1lblgroup = named(new QLabel(QStringLiteral("Group(s):"), tab1frame2), "tab1lblgroup");
    tab1filelist = named(new FileListBox(tab1frame2), "tab1filelist",
                         QStringLiteral("Current Groups Available.  To create more go into Group Managament"));
    tab1filelist->setPattern(QStringLiteral("*.mit"));
    lblGroupNodesCtr = named(new QLabel(tab1frame2), "lblGroupNodesCtr");
    tab1lblcpu = named(new QLabel(QStringLiteral("Computer:"), tab1frame2), "tab1lblcpu");
    tab1sendcpu = named(new QLineEdit(tab1frame2), "tab1sendcpu", QStringLiteral("Type in your target Node here"));

    auto* targets = new QGridLayout(tab1frame2);
    targets->addWidget(tab1opt1, 0, 0);
    targets->addWidget(tab1opt2, 1, 0);
    targets->addWidget(tab1opt3, 2, 0);
    targets->addWidget(tab1lblgroup, 3, 0);
    targets->addWidget(tab1filelist, 4, 0);
    targets->addWidget(lblGroupNodesCtr, 5, 0);
    targets->addWidget(tab1lblcpu, 6, 0);
    targets->addWidget(tab1sendcpu, 7, 0);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {tab1butSend, tab1butclear, butTest, butSchedule, butWizard})
        buttons->addWidget(b);
    auto* left = new QVBoxLayout;
    left->addWidget(tab1Frame1, 1);
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(tab);
    layout->addLayout(left, 3);
    layout->addWidget(tab1frame2, 1);
    return tab;
}

void mainform::tab1opt1_Click() { colourOptions({tab1opt1, tab1opt2, tab1opt3}); }
void mainform::tab1opt2_Click() { colourOptions({tab1opt1, tab1opt2, tab1opt3}); }
void mainform::tab1opt3_Click() { colourOptions({tab1opt1, tab1opt2, tab1opt3}); }

void mainform::messtext_Change()
{
    const bool any = !messtext->toPlainText().isEmpty();
    for (QPushButton* send : {tab1butSend, butTest, butSchedule})
        send->setEnabled(any);
    for (QAction* send : {mnuSend, mnuPreview, mnuSchedule})
        send->setEnabled(any);
}

} // namespace corvane::forms
