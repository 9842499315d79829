#include "tests/support/fakes.h"

namespace corvane::test {

MsgAnswer ScriptedDialogs::msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    shown.push_back({QStringLiteral("msgBox"), text, title, icon, buttons, answerAfterMs});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
    case MsgButtons::RetryCancel: return MsgAnswer::Retry;
    default: return MsgAnswer::Ok;
    }
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString&)
{
    shown.push_back({QStringLiteral("inputBox"), prompt, title, MsgIcon::None, MsgButtons::OkCancel, answerAfterMs});
    if (typed.empty())
        return {};
    const QString t = typed.front();
    typed.pop_front();
    return t;
}

QString ScriptedDialogs::openFileName(const QString& title, const QString&, const QString& filter)
{
    shown.push_back(
        {QStringLiteral("openFileName"), filter, title, MsgIcon::None, MsgButtons::OkCancel, answerAfterMs});
    if (files.empty())
        return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedDialogs::saveFileName(const QString& title, const QString&, const QString& filter)
{
    shown.push_back(
        {QStringLiteral("saveFileName"), filter, title, MsgIcon::None, MsgButtons::OkCancel, answerAfterMs});
    if (files.empty())
        return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList t;
    for (const ShownBox& box : shown) {
        if (box.kind == QLatin1String("msgBox"))
            t << box.text;
    }
    return t;
}

std::optional<int> FakeServices::currentState(const QString& computer, const QString& service)
{
    asked << service;
    const auto it = states.find(service);
    if (!computer.isEmpty() || it == states.end())
        return std::nullopt;
    return it->second;
}

} // namespace corvane::test
