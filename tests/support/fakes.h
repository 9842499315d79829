#pragma once
// Test doubles of the operating system's services.
#include "platform/platform.h"

#include <QDateTime>
#include <QStringList>
#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace corvane::test {

struct ShownBox {
    QString kind; // "msgBox", "inputBox", "openFileName", "saveFileName"
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int answerAfter = 0; // milliseconds after which the box would have answered itself; 0: never
};

// Records every box and answers from queues; with an empty queue a box takes its first button, an
// input box and a file dialog are cancelled.
class ScriptedDialogs : public IDialogs {
public:
    MsgAnswer msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& filter) override;
    void answerAfter(int milliseconds) override { answerAfterMs = milliseconds; }
    // With nobodyThere, every box given a time to answer itself in answers itself.
    bool answeredItself() const override { return nobodyThere && answerAfterMs > 0; }

    void answer(MsgAnswer a) { answers.push_back(a); }
    void type(const QString& text) { typed.push_back(text); }
    void chooseFile(const QString& path) { files.push_back(path); }
    // The texts of the message boxes shown, in order.
    QStringList texts() const;
    const ShownBox* last() const { return shown.empty() ? nullptr : &shown.back(); }

    std::vector<ShownBox> shown;
    std::deque<MsgAnswer> answers;
    std::deque<QString> typed;
    std::deque<QString> files;
    int answerAfterMs = 0;
    bool nobodyThere = false;
};

class FixedClock : public IClock {
public:
    QDateTime now() override { return time.isValid() ? time : QDateTime::currentDateTime(); }
    QDateTime time;
};

class FakeSystemInfo : public ISystemInfo {
public:
    OsVersionRecord versionRecord() override { return version; }
    QString systemName() override { return osName; }
    QString windowsDirectory() override { return windowsDir; }
    QString computerName() override { return name; }
    QString userName() override { return user; }

    OsVersionRecord version{true, 0x4C, 0, 0};
    QString osName = QStringLiteral("Debian GNU/Linux 13 (trixie), Linux 6.12.0-test");
    QString windowsDir = QStringLiteral("/etc");
    QString name = QStringLiteral("labhost");
    QString user = QStringLiteral("operator");
};

class FakeServices : public IServiceManager {
public:
    std::optional<int> currentState(const QString& computer, const QString& service) override;
    std::map<QString, int> states; // by service name, local computer only
    QStringList asked;
};

class RecordingEnd : public IProgramEnd {
public:
    void endNow(int exitStatus = 0) override
    {
        ++count;
        status = exitStatus;
    }
    int count = 0;
    int status = 0; // of the last end
};

class FakeBrowser : public IBrowser {
public:
    bool open(const QString& pathOrAddress) override
    {
        opened << pathOrAddress;
        return opens;
    }
    QStringList opened;
    bool opens = true; // false: no browser or viewer can be started
};

class FakeTray : public ITrayIcon {
public:
    void setVisible(bool v) override { visible = v; }
    bool isVisible() const override { return visible; }
    void setTip(const QString& t) override { tipText = t; }
    QString tip() const override { return tipText; }
    void setText(const QString& t) override { texts << t; }
    QString text() const override { return texts.isEmpty() ? QString() : texts.last(); }
    bool visible = false;
    QString tipText = QStringLiteral("Corvane - Scheduled Distribution");
    QStringList texts;
};

// Answers every refresh as told and counts them.
class FakeNameCache : public INameCache {
public:
    Refresh refresh(QString* error) override
    {
        ++count;
        if (error)
            *error = failure;
        return answer;
    }
    Refresh answer = Refresh::NothingToRefresh;
    QString failure = QStringLiteral("the program resolvectl was not found");
    int count = 0;
};

} // namespace corvane::test
