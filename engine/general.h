#pragma once
// Writing one 32-bit registry value from a textual key path.
#include <QString>
#include <cstdint>

namespace corvane {

class Module1;

class General {
public:
    explicit General(Module1& m1) : m1_(m1) {}

    void RegWriteDword(const QString& keyPath, const QString& valueName, std::uint32_t value);
    void RegSplitKeyPath(QString& keyPath, std::uint32_t& root);
    static std::uint32_t RegRootFromName(const QString& name);

    int RegKeyHandle = 0;
    std::uint32_t RegRoot = 0;
    long RegResult = 0;

private:
    Module1& m1_;
};

// The version word of the system the program runs on ("" for any system it has no word for).
class WINtell {
public:
    explicit WINtell(Module1& m1) : m1_(m1) {}
    QString GetOSName();
    // What the operator reads as the system's name: the version word, or for a system that has
    // none, the name the system gives itself. Nothing decides on it.
    QString SystemName();

private:
    Module1& m1_;
};

// The state of a system service as a text.
class Module2 {
public:
    explicit Module2(Module1& m1) : m1_(m1) {}
    QString GetServiceState(const QString& computer, const QString& service);

private:
    Module1& m1_;
};

} // namespace corvane
