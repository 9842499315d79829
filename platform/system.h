#pragma once
// What the program asks of the operating system about itself: version record, system folder, names.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace corvane {

// The version record the program names its system by. Linux gives a record that no version word
// matches; tests hand in the records of the systems the names are for.
struct OsVersionRecord {
    bool ok = false; // the call returned exactly 1
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    virtual OsVersionRecord versionRecord() = 0;
    // The running system as its operator knows it (distribution and kernel), for the operator to
    // read where no version word names it.
    virtual QString systemName() = 0;
    // The system's configuration folder: where the Windows directory stood.
    virtual QString windowsDirectory() = 0;
    virtual QString computerName() = 0;
    // USERNAME, else USER.
    virtual QString userName() = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime now() = 0;
};

// Ends the program at once: no window handler runs after it. A caller returns straight after
// calling it, so a test double that only records the call leaves nothing half done. The exit status
// tells a script or the task scheduler whether the program ended through a failure (EXIT_FAILURE).
class IProgramEnd {
public:
    virtual ~IProgramEnd() = default;
    virtual void endNow(int exitStatus = 0) = 0;
};

class LinuxSystemInfo : public ISystemInfo {
public:
    OsVersionRecord versionRecord() override;
    QString systemName() override;
    QString windowsDirectory() override;
    QString computerName() override;
    QString userName() override;
};

class SystemClock : public IClock {
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

class ImmediateEnd : public IProgramEnd {
public:
    void endNow(int exitStatus = 0) override;
};

} // namespace corvane
