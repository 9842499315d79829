#pragma once
// What the engine needs of the windows: the live values kept in their controls, the outgoing
// message, and a place to show progress. The console implements it; the engine never sees a widget.
#include <QString>

namespace corvane {

class IConsole {
public:
    virtual ~IConsole() = default;

    // Values that live in the options window's controls.
    virtual QString aliasText() = 0;     // the sender alias in use
    virtual QString prefixText() = 0;    // the name prefix of new computer names
    virtual QString hostsPathLabel() = 0; // the hosts file's path as the options window shows it
    virtual bool splashTicked() = 0;     // "Enable splash screen at startup"

    // The main window's fields of the outgoing message.
    virtual QString winTitleText() = 0; // the client window title box
};

} // namespace corvane
