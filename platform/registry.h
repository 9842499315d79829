#pragma once
// A small file-backed registry: keys are sections of a text file, values are DWORDs. A key that is
// not in the file cannot be opened, as on the system the program was written for.
#include <QString>
#include <cstdint>
#include <map>

namespace corvane {

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Each call returns 0 on success and a system error code otherwise.
    virtual long openKey(std::uint32_t root, const QString& subKey, int& handle) = 0;
    virtual long setDword(int handle, const QString& valueName, std::uint32_t value) = 0;
    virtual long closeKey(int handle) = 0;
    // Reads back a value; false when the key or value is not there.
    virtual bool dword(std::uint32_t root, const QString& subKey, const QString& valueName, std::uint32_t& value) = 0;
};

QString registryRootName(std::uint32_t root);

// The store's file holds "[ROOT\sub\key]" lines, each followed by "name=dword:hex" lines.
class FileRegistry : public IRegistry {
public:
    explicit FileRegistry(QString path) : path_(std::move(path)) {}
    long openKey(std::uint32_t root, const QString& subKey, int& handle) override;
    long setDword(int handle, const QString& valueName, std::uint32_t value) override;
    long closeKey(int handle) override;
    bool dword(std::uint32_t root, const QString& subKey, const QString& valueName, std::uint32_t& value) override;

    static constexpr long kNotFound = 2;
    static constexpr long kInvalidHandle = 6;
    static constexpr long kWriteFault = 29;

private:
    using Keys = std::map<QString, std::map<QString, std::uint32_t>>;
    bool load(Keys& keys) const;
    bool save(const Keys& keys) const;

    QString path_;
    std::map<int, QString> open_;
    int nextHandle_ = 1;
};

} // namespace corvane
