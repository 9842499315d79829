#include "assistants/frmWizard.h"

#include "console/program.h"

#include <QApplication>
#include <QGridLayout>
#include <QVBoxLayout>

namespace corvane::forms {

frmWizard::frmWizard(Program &program) : program_(program), m1_(program.module1()) {
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(QStringLiteral("Corvane - Message Wizard"));

    frmStep2 = named(new QGroupBox(QStringLiteral("Select Your Target:"), this), "frmStep2");
    optSingle = named(new QRadioButton(QStringLiteral("Single Computer"), frmStep2), "optSingle");
    optDomain = named(new QRadioButton(QStringLiteral("Domain (Messenger Service Only)"), frmStep2), "optDomain");
    optGroup = named(new QRadioButton(QStringLiteral("Group"), frmStep2), "optGroup");
    txtTarget = named(new QLineEdit(frmStep2), "txtTarget");
    FileGroupDir = named(new FileListBox(frmStep2), "FileGroupDir");
    FileGroupDir->setPattern(QStringLiteral("*.mit"));
    bindClick(optSingle, [this] { optSingle_Click(); });
    bindClick(optDomain, [this] { optDomain_Click(); });
    bindClick(optGroup, [this] { optGroup_Click(); });
    auto *targets = new QGridLayout(frmStep2);
    targets->addWidget(optSingle, 0, 0);
    targets->addWidget(optDomain, 1, 0);
    targets->addWidget(optGroup, 2, 0);
    targets->addWidget(txtTarget, 0, 1, 2, 1);
    targets->addWidget(FileGroupDir, 2, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frmStep2);
}

void frmWizard::Form_Load() {
    optSingle->setChecked(true);
    txtTarget->setEnabled(true);
    FileGroupDir->setEnabled(false);
    FileGroupDir->setPath(m1_.GroupsPath);
    colourTargets();
}

void frmWizard::colourTargets() {
    colourOptions({optSingle, optDomain, optGroup}, QApplication::palette().color(QPalette::ButtonText));
}

void frmWizard::optSingle_Click() {
    txtTarget->setEnabled(true);
    FileGroupDir->setEnabled(false);
    colourTargets();
}

void frmWizard::optDomain_Click() {
    txtTarget->setEnabled(true);
    FileGroupDir->setEnabled(false);
    colourTargets();
}

void frmWizard::optGroup_Click() {
    FileGroupDir->setEnabled(true);
    txtTarget->setEnabled(false);
    txtTarget->clear();
    colourTargets();
}

} // namespace corvane::forms
