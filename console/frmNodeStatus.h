#pragma once
// The delivery-status window: one entry per target of the distribution just run, the pass and fail
// counts, and the two ways back to the main window (with the sent log and the failed-nodes log).
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class frmNodeStatus : public QWidget {
    Q_OBJECT
public:
    explicit frmNodeStatus(Program& program);

    void Form_Load();
    void butClose_Click();
    void butSave_Click();
    void ListView1_DblClick();
    bool FileExists(const QString& path) const;

    // Appends this distribution's record to the sent log. Callers test LogMessages for 1 first.
    void WriteSentLogRecord();
    // Merges this run's failures into the failed-nodes log; false (after its box) when the log could
    // not be read or rewritten.
    bool MergeFailedNodes();

    // The three pictures of the list: 1 green (passed), 2 blue (answered, did not take the message),
    // 3 red (no answer, or a failed domain send).
    static QIcon nodeIcon(int picture);
    // The picture of a target, or 0 when it gets no entry.
    static int pictureFor(const QString& status, const QString& result);

    QListWidget* ListView1 = nullptr;
    QLabel* lblPass = nullptr;
    QLabel* lblFail = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* butClose = nullptr;
    QPushButton* butSave = nullptr;

private:
    Program& program_;
    Module1& m1_;
    bool recordWritten_ = false;
};

} // namespace corvane::forms
