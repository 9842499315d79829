#include "console/frmAbout.h"

#include "console/controls.h"
#include "console/mainform.h"
#include "console/program.h"
#include "console/vendor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane::forms {

frmAbout::frmAbout(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Corvane"));

    Picture1 = named(new QLabel(this), "Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    Picture2 = named(new QLabel(this), "Picture2");
    Picture2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    Label2 = named(new QLabel(QStringLiteral("Corvane is a Windows Messaging system for IT Professionals and "
                                             "Administrators to inform users of potential problems and situations "
                                             "quickly and easily.  "),
                              this),
                   "Label2");
    Label2->setWordWrap(true);
    lblMessenger = named(new QLabel(QStringLiteral("Messenger Service Status:"), this), "lblMessenger");
    lblStatus = named(new QLabel(QStringLiteral("Unknown"), this), "lblStatus");
    Label5 = named(new QLabel(this), "Label5");
    Label8 = named(new QLabel(QStringLiteral("Build: 8.0"), this), "Label8");
    Label7 = named(new QLabel(QStringLiteral("For Technical Support or queries (suggestions, bugs etc) please email:"
                                             "    ") +
                                  vendor::SupportAddress,
                              this),
                   "Label7");
    Label7->setWordWrap(true);
    Label7->setTextInteractionFlags(Qt::TextSelectableByMouse);
    linkDevelop = named(new QLabel(this), "linkDevelop", vendor::WebPage);
    linkDevelop->setTextFormat(Qt::RichText);
    linkDevelop->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(vendor::WebPage, vendor::MakerLinkText));
    // A link the mouse follows: Enter belongs to OK.
    linkDevelop->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(linkDevelop, &QLabel::linkActivated, this, [this] { linkDevelop_Click(); });
    aboutbutOK = named(new QPushButton(QStringLiteral("OK"), this), "aboutbutOK");
    connect(aboutbutOK, &QPushButton::clicked, this, [this] { aboutbutOK_Click(); });
    setWindowKeys(this, aboutbutOK, [this] { aboutbutOK->click(); });

    auto* status = new QHBoxLayout;
    status->addWidget(lblMessenger);
    status->addWidget(lblStatus, 1);
    auto* text = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, Label5, Label8, Label7, linkDevelop})
        text->addWidget(w);
    text->insertLayout(1, status);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(Picture1);
    pictures->addWidget(Picture2);
    pictures->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(pictures);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(aboutbutOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(480, layout->sizeHint().height());
}

void frmAbout::Form_Load()
{
    lblStatus->setText(program_.module2().GetServiceState(QString(), QStringLiteral("Messenger")));
    Label5->setText(QStringLiteral("OS: ") + program_.wintell().SystemName());
}

void frmAbout::aboutbutOK_Click()
{
    hide();
    program_.mainform().show();
}

void frmAbout::linkDevelop_Click()
{
    m1_.OpenInBrowser(vendor::WebPage);
}

} // namespace corvane::forms
