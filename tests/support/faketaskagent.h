#pragma once
// A task scheduler that records the tasks it is given instead of registering them.
#include "platform/taskagent.h"

#include <QStringList>
#include <vector>

namespace corvane::test {

class FakeTaskAgent : public ITaskAgent {
public:
    bool NewWorkItem(const QString& name, QString* error = nullptr) override
    {
        asked << name;
        for (const QString& known : registered()) {
            if (known.compare(name, Qt::CaseInsensitive) == 0) {
                if (error)
                    *error = QStringLiteral("exists");
                return false;
            }
        }
        return !unreachable;
    }
    bool Save(const ScheduledTask& task, QString* error = nullptr) override
    {
        if (refuseSave) {
            if (error)
                *error = QStringLiteral("refused by the scheduler");
            return false;
        }
        saved.push_back(task);
        return true;
    }
    // Tasks already registered: those given beforehand and those saved.
    QStringList registered() const
    {
        QStringList names = existing;
        for (const ScheduledTask& task : saved)
            names << task.name;
        return names;
    }

    QStringList existing;
    bool unreachable = false;
    bool refuseSave = false;
    QStringList asked;
    std::vector<ScheduledTask> saved;
};

} // namespace corvane::test
