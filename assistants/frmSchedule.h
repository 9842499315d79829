#pragma once
// The scheduler: freezes the current message and its client options in a schedule file and
// registers a task that starts the program again, unattended, to send it.
#include "console/controls.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmSchedule : public QWidget {
    Q_OBJECT
public:
    explicit frmSchedule(Program& program);

    void Form_Load();
    void MonthView1_DateClick();
    void cmdNew_Click();
    // False when the target or the task name cannot be carried by the command line.
    bool BuildTaskParameters();
    void butCancel_Click();
    static bool FileExists(const QString& path);

    // A task name that can name its schedule file: no folder part, no "." or "..", no leading "-",
    // nothing the command line cannot carry (":" and double quotes) and no control characters.
    static bool UsableTaskName(const QString& name);
    // The name of the folder's file that is the named one without regard to letter case (the exact
    // name first), or an empty text when there is none.
    static QString FindFileNoCase(const QString& folder, const QString& name);

    QGroupBox* Frame1 = nullptr; // "Date:"
    QCalendarWidget* MonthView1 = nullptr;
    QLabel* lblDate = nullptr;
    QGroupBox* Frame2 = nullptr; // "Time:"
    QLineEdit* txtTimeH = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtTimeM = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* Frame3 = nullptr; // "Task Details:"
    QLineEdit* txtName = nullptr;
    QLabel* lblType = nullptr;
    QLabel* lblTarget = nullptr;
    QGroupBox* Frame4 = nullptr; // "Message:"
    MultiLineBox* txtMessage = nullptr;
    QPushButton* butCancel = nullptr;
    QPushButton* cmdNew = nullptr;

private:
    // The schedule file's lines, the message included when it is sent as text.
    QByteArray scheduleFileBytes();

    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
