#pragma once
// A whole fresh program in a temporary program folder (a copy of the installed layout), with the
// operating system's services replaced by doubles.
#include "console/program.h"
#include "tests/support/fakedelivery.h"
#include "tests/support/fakes.h"
#include "tests/support/faketaskagent.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

namespace corvane::forms {
class mainform;
class frmOptions;
} // namespace corvane::forms

namespace corvane::test {

class TestProgram {
public:
    TestProgram();
    ~TestProgram();

    QString folder() const { return dir_.path(); }
    QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    QByteArray read(const QString& relative) const;
    void write(const QString& relative, const QByteArray& bytes) const;
    // Replaces the settings file with these 21 (or any number of) lines, each ended by CR LF.
    void writeSettings(const QStringList& lines) const;
    // The default settings with some lines changed, by key ("SERVICE" -> "MESSENGER").
    void setSetting(const QString& key, const QString& value) const;

    // Builds the program (not yet started) with these command-line words.
    Program& create(const QStringList& arguments = {});
    // Builds and starts it: the main window's load runs the whole start-up.
    Program& start(const QStringList& arguments = {});
    Program& program() { return *program_; }
    forms::mainform& main();
    forms::frmOptions& options();
    // Writes the group file and has the send tab's group list show it.
    void addGroup(const QString& name, const QByteArray& bytes);
    // The operator clicks the group in the send tab's list; false when the list does not hold it.
    bool clickGroup(const QString& name);

    ScriptedDialogs* dialogs = nullptr;
    FixedClock* clock = nullptr;
    FakeSystemInfo* system = nullptr;
    FakeServices* services = nullptr;
    RecordingEnd* end = nullptr;
    FakeBrowser* browser = nullptr;
    FakeTray* tray = nullptr;
    // Delivery: the echo and name resolution are the system's own, so loopback peers (127.0.0.x)
    // just work (a name like the fake computer name "labhost" does not resolve: put a FakeResolver
    // into pending.resolver for it). The messaging call is a RecordingMessenger that answers 0;
    // the client socket is the real one behind a RecordingTcpClient that keeps every send.
    RecordingMessenger* messenger = nullptr;
    RecordingTcpClient* tcp = nullptr;
    FakeTaskAgent* tasks = nullptr;
    FakeNameCache* nameCache = nullptr;

    // Doubles waiting to be handed to the program at create(); a test may change them first.
    Platform pending;

private:
    QTemporaryDir dir_;
    std::unique_ptr<Program> program_;
};

// Lets window events and timers run for about this long.
void pump(int milliseconds);
// Lets events run until the condition holds or the time is up; true when it holds.
bool waitFor(const std::function<bool()>& done, int milliseconds = 10000);

// Counts the turns of a timer of this interval from now on: a wait that lets the event loop run
// lets it tick, as it lets the windows redraw.
class Ticks {
public:
    explicit Ticks(int intervalMs)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { ++count_; });
        timer_.start(intervalMs);
    }
    int count() const { return count_; }

private:
    QTimer timer_;
    int count_ = 0;
};

// Writes an executable shell script (its body after the "#!/bin/sh" line) and gives its path.
QString writeScript(const QString& path, const QByteArray& body);
// What the program writes on its standard output; the test fails where it does not end well within 30 s.
QString outputOf(const QString& program, const QStringList& arguments);

// Runs the step with files limited to this many bytes, as on a full disk: a write beyond it fails
// part way.
void withFileSizeLimit(qint64 bytes, const std::function<void()>& step);

} // namespace corvane::test
