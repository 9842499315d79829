// The menu handlers that open the tool windows, the user guide, the support box and the about box.
#include "console/mainform.h"

#include "assistants/frmOptions.h"
#include "assistants/frmWizard.h"
#include "console/frmAbout.h"
#include "console/program.h"
#include "console/vendor.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"

namespace corvane::forms {

void mainform::bringUp(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

void mainform::butWizard_Click()
{
    // The wizard fills the Create Message tab: it is shown first, so that its own reset of the target
    // comes before the wizard's choices rather than after them.
    SSTab1->setCurrentIndex(0);
    if (SSTab1->currentIndex() != 0)
        return; // hosts edits the operator kept hold their tab, and the main window stays for them
    hide();
    bringUp(program_.frmWizard());
}

void mainform::mnuWizard_Click()
{
    butWizard_Click();
}

void mainform::menuAdvancedGroup_Click()
{
    hide();
    bringUp(program_.frmNumeric());
}

void mainform::menuManually_Click()
{
    hide();
    frmEdit& edit = program_.frmEdit();
    bringUp(edit);
    // Every entry starts in the file-list state, whatever was open when the editor was last left.
    m1_.GroupFileModified = 0;
    edit.SetFileListState();
    edit.lblFileInfo->clear();
}

void mainform::menuOptions_Click()
{
    frmOptions& options = program_.frmOptions();
    options.txtTemplate->setText(m1_.TemplateText);
    bringUp(options);
    // Each option is one of a pair: choosing it clears the other.
    if (m1_.PrefixEnabled == 0) {
        selectOption(options.optPrefixOFF);
        options.txtPrefix->setEnabled(false);
    } else if (m1_.PrefixEnabled == 1) {
        selectOption(options.optPrefixON);
        options.txtPrefix->setEnabled(true);
    }
    if (m1_.LogMessages == 0)
        selectOption(options.optLogMsgOFF);
    else if (m1_.LogMessages == 1)
        selectOption(options.optLogMsgON);
}

void mainform::menuHelp_Click()
{
    m1_.OpenUserGuide();
}

void mainform::mnuEmailTech_Click()
{
    m1_.dialogs().msgBox(QStringLiteral("If you have any type of query, problem, bug or comments and suggestions then "
                                        "please email:   ") +
                             vendor::SupportAddress + QStringLiteral("    ") + vendor::SupportThanks,
                         MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - E-Mail Information"));
}

void mainform::Aboutmenu_Click()
{
    bringUp(program_.frmAbout());
}

} // namespace corvane::forms
