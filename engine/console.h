#pragma once
// What the engine needs of the windows: the live values kept in their controls, the outgoing
// message, and a place to show progress. The console implements it; the engine never sees a widget.
#include <QString>

namespace corvane {

class IConsole {
public:
    virtual ~IConsole() = default;

    // Values that live in the options window's controls.
    virtual QString aliasText() = 0;      // the sender alias in use
    virtual QString prefixText() = 0;     // the name prefix of new computer names
    virtual QString hostsPathLabel() = 0; // the hosts file's path as the options window shows it
    virtual bool splashTicked() = 0;      // "Enable splash screen at startup"

    // The main window's fields of the outgoing message.
    virtual QString winTitleText() = 0; // the client window title box

    // --- distribution ---
    // The send tab's message box (CR LF line breaks) and its computer or domain box.
    virtual QString messageText() = 0;
    virtual QString targetBoxText() = 0;
    virtual void showMainWindow() = 0;
    // The progress window: touching it loads it, hidden unless it was shown.
    virtual void setProgressCaption(const QString& text) = 0;
    virtual void setProgressNode(const QString& text) = 0;
    virtual void setProgressAmount(const QString& text) = 0;
    virtual double progressValue() = 0; // the bar, 0 to 100
    virtual void setProgressValue(double value) = 0;
    virtual void repaintProgress() = 0;
    virtual void hideProgressWindow() = 0;
    virtual void unloadProgressWindow() = 0;
    // The delivery-status window: shown modeless with the focus, or loaded without being shown
    // (its load counts the passes and failures); then the sent-log record it writes.
    virtual void showStatusWindow() = 0;
    virtual void loadStatusWindowHidden() = 0;
    virtual bool statusWindowLoaded() = 0;
    virtual void unloadStatusWindow() = 0;
    virtual void writeSentLogRecord() = 0;
    // Ends the program a few seconds after an unattended distribution.
    virtual void startAutoKillTimer() = 0;

    // --- the administrator's target switches ---
    // The three targets, offered alike by the main window and by the wizard.
    enum class Target { Group, Computer, Domain };
    // Enables or disables the target's option in the main window, or in the wizard (which is
    // created, hidden, if it does not exist yet).
    virtual void enableMainTarget(Target target, bool enabled) = 0;
    virtual void enableWizardTarget(Target target, bool enabled) = 0;
    // Selects the target's option; its click handler runs as on the operator's click.
    virtual void selectMainTarget(Target target) = 0;
    virtual void selectWizardTarget(Target target) = 0;
    // Tabs of the main window by position (0 "Create Message" .. 4 "Client Options"); a tab that is
    // not available cannot be opened.
    virtual void setTabAvailable(int tab, bool available) = 0;
    virtual void disableGroupsMenu() = 0;
    // The options window's alias box and its "Reset to Host Name" button, together.
    virtual void enableAliasEditing(bool enabled) = 0;

    // --- client transfer ---
    // The outgoing message's fields that the client message file carries.
    virtual QString headlineText() = 0; // the headline box
    virtual bool htmlChosen() = 0;      // the HTML option
    virtual QString htmlPathText() = 0; // the HTML page's path box
    virtual bool timeOutTicked() = 0;   // the display time-out box
    // The node the progress window names, for log lines; empty when that window is not loaded.
    virtual QString progressNodeText() = 0;
};

} // namespace corvane
