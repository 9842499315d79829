// The administrator's switches in Corvane.ini that restrict the targets, the group and hosts tabs
// and the sender alias. They are read afresh at every run and turned into the state of the controls.
#include "engine/module1.h"

namespace corvane {

void Module1::ApplyTargetSwitches()
{
    using Target = IConsole::Target;
    IConsole& windows = console();
    const QString yes = QStringLiteral("YES");
    const QString no = QStringLiteral("NO");

    // Each step may select a target; the last selection wins, so the order of the steps is the
    // order of preference: Group(s), then Computer, then Domain.
    if (ServiceName != QLatin1String("MESSENGER")) {
        windows.enableMainTarget(Target::Domain, false);
        windows.enableWizardTarget(Target::Domain, false);
    } else if (DomainEnabled == 0) {
        windows.enableMainTarget(Target::Domain, true);
        windows.selectMainTarget(Target::Domain);
        windows.enableWizardTarget(Target::Domain, true);
        windows.selectWizardTarget(Target::Domain);
    } else if (DomainEnabled == 1) {
        windows.enableMainTarget(Target::Domain, false);
        windows.enableWizardTarget(Target::Domain, false);
    }

    if (EnableCpuTarget == yes) {
        windows.enableMainTarget(Target::Computer, true);
        windows.selectMainTarget(Target::Computer);
        windows.enableWizardTarget(Target::Computer, true);
        windows.selectWizardTarget(Target::Computer);
    } else if (EnableCpuTarget == no) {
        windows.enableMainTarget(Target::Computer, false);
        windows.enableWizardTarget(Target::Computer, false);
    }

    if (EnableGroupTarget == yes) {
        windows.enableMainTarget(Target::Group, true);
        windows.selectMainTarget(Target::Group);
        windows.enableWizardTarget(Target::Group, true);
        windows.selectWizardTarget(Target::Group);
    } else if (EnableGroupTarget == no) {
        windows.enableMainTarget(Target::Group, false);
        windows.enableWizardTarget(Target::Group, false);
    }

    // Whatever the delivery mode, nothing is left to send to: single computers are offered again.
    if (EnableGroupTarget == no && EnableCpuTarget == no && DomainEnabled == 1) {
        dialogs().msgBox(QStringLiteral("Your Administrator has disabled ALL valid targets using the Corvane.ini "
                                        "file.  Corvane will now default to single PC targets because no targets "
                                        "are available."),
                         MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Admin Disabled All Targets!"));
        windows.enableMainTarget(Target::Computer, true);
        windows.selectMainTarget(Target::Computer);
        windows.selectWizardTarget(Target::Computer);
        windows.enableWizardTarget(Target::Computer, true);
    }

    constexpr int groupTab = 1;
    constexpr int hostsTab = 2;
    if (EnableGroupManage == yes) {
        windows.setTabAvailable(groupTab, true);
    } else if (EnableGroupManage == no) {
        windows.setTabAvailable(groupTab, false);
        windows.disableGroupsMenu();
    }

    if (EnableHostManage == yes)
        windows.setTabAvailable(hostsTab, true);
    else if (EnableHostManage == no)
        windows.setTabAvailable(hostsTab, false);

    if (EnableFrom == yes)
        windows.enableAliasEditing(true);
    else if (EnableFrom == no)
        windows.enableAliasEditing(false);
}

} // namespace corvane
