#pragma once
// The confirmation shown before a group send: the group, its number of nodes and the message.
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
}

namespace corvane::forms {

class MultiLineBox;

class frmReview : public QWidget {
    Q_OBJECT
public:
    explicit frmReview(Program& program);

    void Form_Load();
    void butSend_Click();
    void butCancel_Click();

    QLabel* lblGroup = nullptr;
    QLabel* lblNodes = nullptr;
    MultiLineBox* txtMess = nullptr;
    QLabel* lblWarning = nullptr;
    QPushButton* butSend = nullptr;
    QPushButton* butCancel = nullptr;

protected:
    // While the review is open the main window takes no input: what the review shows is what is sent.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Program& program_;
};

} // namespace corvane::forms
