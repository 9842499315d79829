#include "platform/servicestate.h"

#include "platform/programrun.h"

#include <QStandardPaths>

namespace corvane {

static std::optional<int> unitState(const QString& systemctl, const QString& unit)
{
    ProgramRunOptions options;
    options.timeoutMs = 5000;
    options.holdInput = true;
    const ProgramRun shown =
        runProgram(systemctl,
                   QStringList{QStringLiteral("show"), QStringLiteral("--property=LoadState,ActiveState,SubState"),
                               QStringLiteral("--"), unit + QStringLiteral(".service")},
                   options);
    if (!shown.succeeded())
        return std::nullopt;
    QString load, active, sub;
    for (const QString& line : QString::fromLocal8Bit(shown.output).split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("LoadState=")))
            load = value;
        else if (line.startsWith(QLatin1String("ActiveState=")))
            active = value;
        else if (line.startsWith(QLatin1String("SubState=")))
            sub = value;
    }
    if (load.isEmpty() || load == QLatin1String("not-found"))
        return std::nullopt;
    if (active == QLatin1String("active") || active == QLatin1String("reloading"))
        return 4;
    if (active == QLatin1String("activating"))
        return 2;
    if (active == QLatin1String("deactivating"))
        return 3;
    if (active == QLatin1String("inactive") || active == QLatin1String("failed"))
        return 1;
    return 0;
}

std::optional<int> SystemdServices::currentState(const QString& computer, const QString& service)
{
    // Only the local manager can be reached.
    if (!computer.isEmpty() || service.isEmpty() || service.startsWith(QLatin1Char('-')))
        return std::nullopt;
    const QString systemctl = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    if (systemctl.isEmpty())
        return std::nullopt;
    if (auto state = unitState(systemctl, service))
        return state;
    if (service != service.toLower())
        return unitState(systemctl, service.toLower());
    return std::nullopt;
}

} // namespace corvane
