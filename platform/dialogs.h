#pragma once
// Every message box, input box and file dialog of the program goes through this service, so that the
// operator's answers can be scripted and the texts read back.
#include <QString>

namespace corvane {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A box that names no title of its own shows the program's name.
    virtual MsgAnswer msgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                             const QString& title = QStringLiteral("Corvane")) = 0;
    // Returns the typed text, or an empty text when the operator cancels.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText = {}) = 0;
    // Return the chosen path, or an empty text when the operator cancels.
    virtual QString openFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    // With nobody there to answer, every box from now on answers itself after this many milliseconds:
    // a message box with its default (first) button, an input box and a file dialog as if cancelled.
    // 0: the boxes wait for the operator.
    virtual void answerAfter(int milliseconds) = 0;
    // True when the last box answered itself: nobody was there to answer it.
    virtual bool answeredItself() const = 0;
};

} // namespace corvane
