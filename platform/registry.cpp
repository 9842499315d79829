#include "platform/registry.h"

#include "platform/files.h"

namespace corvane {

QString registryRootName(std::uint32_t root)
{
    switch (root) {
    case 0x80000000: return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001: return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003: return QStringLiteral("HKEY_USERS");
    case 0x80000004: return QStringLiteral("HKEY_PERFORMANCE_DATA");
    case 0x80000005: return QStringLiteral("HKEY_CURRENT_CONFIG");
    case 0x80000006: return QStringLiteral("HKEY_DYN_DATA");
    default: return {};
    }
}

static QString keyName(std::uint32_t root, const QString& subKey)
{
    const QString rootName = registryRootName(root);
    if (rootName.isEmpty())
        return {};
    return subKey.isEmpty() ? rootName : rootName + QLatin1Char('\\') + subKey;
}

// Read and written through the one opener: a FIFO or a device in the file's place is no store, and
// waiting on it would hold every start that looks at the Messenger service.
bool FileRegistry::load(Keys& keys) const
{
    FileLineReader file(path_);
    if (file.openError())
        return false;
    QString section;
    QByteArrayView bytes;
    while (file.next(bytes)) {
        const QString line = QString::fromLatin1(bytes).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            keys[section.toUpper()];
        } else if (!section.isEmpty() && line.contains(QLatin1String("=dword:"))) {
            const qsizetype at = line.indexOf(QLatin1String("=dword:"));
            bool ok = false;
            const std::uint32_t value = line.mid(at + 7).toUInt(&ok, 16);
            if (ok)
                keys[section.toUpper()][line.left(at)] = value;
        }
    }
    return file.error().isEmpty();
}

bool FileRegistry::save(const Keys& keys) const
{
    QByteArray bytes;
    for (const auto& [key, values] : keys) {
        bytes += "[" + key.toLatin1() + "]\r\n";
        for (const auto& [name, value] : values)
            bytes += name.toLatin1() + "=dword:" + QByteArray::number(value, 16).rightJustified(8, '0') + "\r\n";
    }
    return writeWholeFile(path_, bytes);
}

long FileRegistry::openKey(std::uint32_t root, const QString& subKey, int& handle)
{
    Keys keys;
    const QString name = keyName(root, subKey).toUpper();
    if (name.isEmpty() || !load(keys) || keys.find(name) == keys.end())
        return kNotFound;
    handle = nextHandle_++;
    open_[handle] = name;
    return 0;
}

long FileRegistry::setDword(int handle, const QString& valueName, std::uint32_t value)
{
    const auto it = open_.find(handle);
    if (it == open_.end())
        return kInvalidHandle;
    Keys keys;
    if (!load(keys))
        return kWriteFault;
    keys[it->second][valueName] = value;
    return save(keys) ? 0 : kWriteFault;
}

long FileRegistry::closeKey(int handle)
{
    return open_.erase(handle) ? 0 : kInvalidHandle;
}

bool FileRegistry::dword(std::uint32_t root, const QString& subKey, const QString& valueName, std::uint32_t& value)
{
    Keys keys;
    if (!load(keys))
        return false;
    const auto key = keys.find(keyName(root, subKey).toUpper());
    if (key == keys.end())
        return false;
    const auto found = key->second.find(valueName);
    if (found == key->second.end())
        return false;
    value = found->second;
    return true;
}

} // namespace corvane
