#pragma once
// The system's task scheduler: registers a task that starts a program once, at a given date and
// time, in the operator's desktop session. On Linux the tasks are jobs of the `at` queue.
#include <QDate>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTime>
#include <cstdint>

namespace corvane {

// Task flags, as the scheduler numbers them.
inline constexpr std::uint32_t kTaskInteractive = 0x0001;
inline constexpr std::uint32_t kTaskDeleteWhenDone = 0x0002;
inline constexpr std::uint32_t kTaskRunOnlyIfLoggedOn = 0x2000;

struct ScheduledTask {
    QString name;
    QString program;
    QString parameters; // handed to the program as one argument
    QString workingFolder;
    QString comment;
    std::uint32_t flags = 0;
    QDate startDate; // no date: today
    QTime startTime;
    QString account;
};

class ITaskAgent {
public:
    virtual ~ITaskAgent() = default;
    // Begins a new task of that name. Fails when a task of that name (in any letter case) is still
    // waiting to run, or when the system's scheduler cannot be reached.
    virtual bool NewWorkItem(const QString& name, QString* error = nullptr) = 0;
    // Registers the task; it runs once at its start and is then gone. Fails, saying why, when the
    // scheduler refuses it or its start has already passed.
    virtual bool Save(const ScheduledTask& task, QString* error = nullptr) = 0;
};

// Tasks as one-shot `at` jobs. Each job carries its task's name in a marker line, so that a name is
// found again with `atq` and `at -c`. The job carries the desktop session of the moment it was
// scheduled (`at` itself drops DISPLAY), and every value reaches the job's script shell-quoted.
class AtTaskAgent : public ITaskAgent {
public:
    bool NewWorkItem(const QString& name, QString* error = nullptr) override;
    bool Save(const ScheduledTask& task, QString* error = nullptr) override;

    // The numbers of the waiting jobs that carry the task's name (compared without regard to case).
    // False when the queue cannot be read.
    bool jobsNamed(const QString& name, QStringList& jobs, QString* error = nullptr) const;

    // The variables of the desktop session a job needs to reach the operator's screen.
    static const QStringList& sessionVariables();
    static QString shellQuote(const QString& text);
    static QString markerLine(const QString& name);
    // The script of the job: the marker, the session, the folder and the program with its argument.
    static QString jobScript(const ScheduledTask& task, const QProcessEnvironment& session);

    // Programs used; tests may point them elsewhere.
    QString atProgram = QStringLiteral("at");
    QString atqProgram = QStringLiteral("atq");
};

} // namespace corvane
