#pragma once
// The message-detail window: one record of the sent log.
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmMsg : public QWidget {
    Q_OBJECT
public:
    explicit frmMsg(Program& program);

    void Form_Load() {}
    void butMsgClose_Click();

    QLabel* lblType = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblTo = nullptr;
    QLabel* lblPass = nullptr;
    QLabel* lblFail = nullptr;
    QLabel* lblTotal = nullptr;
    QLabel* lblMessMode = nullptr;
    MultiLineBox* txtMsg = nullptr;
    QPushButton* butMsgClose = nullptr;

private:
    Program& program_;
};

} // namespace corvane::forms
