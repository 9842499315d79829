#include "groups/frmEdit.h"

#include "console/mainform.h"
#include "console/program.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

frmEdit::frmEdit(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Corvane - Edit Group File..."));

    frameFiles = new QGroupBox(QStringLiteral("Group Files:"), this);
    frameFiles->setObjectName(QStringLiteral("frameFiles"));
    fileGroups = new FileListBox(frameFiles);
    fileGroups->setObjectName(QStringLiteral("fileGroups"));
    fileGroups->setPattern(QStringLiteral("*.mit"));
    (new QVBoxLayout(frameFiles))->addWidget(fileGroups);

    frameText = new QGroupBox(QStringLiteral("File As Text:"), this);
    frameText->setObjectName(QStringLiteral("frameText"));
    txtFile = new MultiLineBox(frameText);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    (new QVBoxLayout(frameText))->addWidget(txtFile);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(frameFiles, 1);
    layout->addWidget(frameText, 2);
}

void frmEdit::Form_Load()
{
    removeCloseCommand(this);
    fileGroups->setPath(m1_.GroupsPath);
    txtFile->setText(QString());
}

} // namespace corvane::forms
