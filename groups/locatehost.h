#pragma once
// Decides which file is the hosts file.
namespace corvane {

class Module1;
class WINtell;

class LocateHost {
public:
    LocateHost(Module1& m1, WINtell& wintell) : m1_(m1), wintell_(wintell) {}
    void LocateHostsFile();

private:
    Module1& m1_;
    WINtell& wintell_;
};

} // namespace corvane
