#pragma once
// The about box: what the program is, the Messenger service's state, the system and the build, and
// where to ask for help.
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(Program& program);

    void Form_Load();
    void aboutbutOK_Click();
    void linkDevelop_Click();

    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblMessenger = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* linkDevelop = nullptr;
    QPushButton* aboutbutOK = nullptr;

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
