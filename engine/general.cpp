#include "engine/general.h"

#include "engine/module1.h"

namespace corvane {

std::uint32_t General::RegRootFromName(const QString& name)
{
    static const char* const roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",     "HKEY_LOCAL_MACHINE",
                                        "HKEY_USERS",        "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                        "HKEY_DYN_DATA"};
    for (std::uint32_t i = 0; i < std::size(roots); ++i) {
        if (name == QLatin1String(roots[i]))
            return 0x80000000u + i;
    }
    return 0;
}

void General::RegSplitKeyPath(QString& keyPath, std::uint32_t& root)
{
    const qsizetype slash = keyPath.indexOf(QLatin1Char('\\'));
    if (!keyPath.startsWith(QLatin1String("HKEY_")) || keyPath.endsWith(QLatin1Char('\\'))) {
        m1_.dialogs().msgBox(QStringLiteral("Incorrect Format:\n\n") + keyPath, MsgButtons::Ok, MsgIcon::None,
                             QStringLiteral("Corvane"));
        root = 0;
        return;
    }
    if (slash >= 0) {
        root = RegRootFromName(keyPath.left(slash));
        keyPath = keyPath.mid(slash + 1);
    } else {
        root = RegRootFromName(keyPath);
        keyPath.clear();
    }
}

void General::RegWriteDword(const QString& keyPath, const QString& valueName, std::uint32_t value)
{
    QString subKey = keyPath;
    RegSplitKeyPath(subKey, RegRoot);
    if (RegRoot == 0)
        return;
    IRegistry& registry = *m1_.platform().registry;
    RegResult = registry.openKey(RegRoot, subKey, RegKeyHandle);
    if (RegResult != 0)
        return;
    RegResult = registry.setDword(RegKeyHandle, valueName, value);
    RegResult = registry.closeKey(RegKeyHandle);
}

QString WINtell::GetOSName()
{
    const OsVersionRecord v = m1_.platform().system->versionRecord();
    if (!v.ok)
        return {};
    switch (v.platformId) {
    case 0: return QStringLiteral("32s");
    case 1:
        if (v.minorVersion == 0)
            return QStringLiteral("95");
        return v.minorVersion == 90 ? QStringLiteral("ME") : QStringLiteral("98");
    case 2:
        if (v.majorVersion == 3) {
            switch (v.minorVersion) {
            case 0: return QStringLiteral("NT3");
            case 1: return QStringLiteral("NT3.1");
            case 5: return QStringLiteral("NT3.5");
            case 51: return QStringLiteral("NT3.51");
            default: return {};
            }
        }
        if (v.majorVersion == 4)
            return QStringLiteral("NT 4");
        if (v.majorVersion == 5 && v.minorVersion == 0)
            return QStringLiteral("Win2000");
        if (v.majorVersion == 5 && v.minorVersion == 1)
            return QStringLiteral("WinXP");
        return {};
    default: return {};
    }
}

QString WINtell::SystemName()
{
    const QString word = GetOSName();
    return word.isEmpty() ? m1_.platform().system->systemName() : word;
}

QString Module2::GetServiceState(const QString& computer, const QString& service)
{
    static const char* const states[] = {"Stopped",         "Start Pending", "Stop Pending", "Running",
                                         "Coninue Pending", "Pause Pending", "Paused"};
    const std::optional<int> state = m1_.platform().services->currentState(computer, service);
    if (!state || *state < 1 || *state > 7)
        return {};
    return QLatin1String(states[*state - 1]);
}

} // namespace corvane
