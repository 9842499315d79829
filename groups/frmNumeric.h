#pragma once
// The numbered computer-name generator: a run of names such as PC-001 to PC-250, built from three
// sections of which one counts, written into a new or an existing group file.
#include "console/controls.h"
#include "platform/dialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <optional>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class frmNumeric : public QWidget {
    Q_OBJECT
public:
    explicit frmNumeric(Program& program);

    void Form_Load();
    void Form_Unload();
    void opt1Numeric_Click();
    void opt2Numeric_Click();
    void opt3Numeric_Click();
    void opt1Text_Click();
    void opt2Text_Click();
    void opt3Text_Click();
    void txt1Text_Change();
    void txt2Text_Change();
    void txt3Text_Change();
    void Endtxt1Text_Change();
    void Endtxt2Text_Change();
    void Endtxt3Text_Change();
    void butCalculate_Click();
    void butSaveTo_Click();
    void Label7_Click();

    // Checks one number box on every change: any change drops the last result, and a text that is
    // not a whole number is refused and replaced by "0".
    void EnsureNumeric(QLineEdit* box);
    // Empties the six boxes and the results and disables both commands; the sections stay as chosen.
    void ResetNumericForm();
    static bool FileExists(const QString& path);
    static bool HasIllegalNodeChars(const QString& name);
    // The number a box holds: plain decimal digits with an optional leading "-", inside 32 bits.
    static std::optional<std::int32_t> NumberIn(const QString& text);
    // The digits of one number of a run from `start` to `end` as typed; with both the same length
    // of two or more, every number is written with leading zeros (after its sign) to that width.
    static QString Digits(std::int64_t number, const QString& start, const QString& end);

    QGroupBox* Frame4 = nullptr; // "Input Data:"
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* opt1Text = nullptr;
    QRadioButton* opt2Text = nullptr;
    QRadioButton* opt3Text = nullptr;
    QRadioButton* opt1Numeric = nullptr;
    QRadioButton* opt2Numeric = nullptr;
    QRadioButton* opt3Numeric = nullptr;
    QLineEdit* txt1Text = nullptr;
    QLineEdit* txt2Text = nullptr;
    QLineEdit* txt3Text = nullptr;
    QLineEdit* Endtxt1Text = nullptr;
    QLineEdit* Endtxt2Text = nullptr;
    QLineEdit* Endtxt3Text = nullptr;
    QLabel* Label1 = nullptr; // "+"
    QLabel* Label2 = nullptr; // "+"
    QLabel* lblStart = nullptr;
    QLabel* lblEnd = nullptr;
    QGroupBox* Frame5 = nullptr; // "Results:"
    QLabel* lblstartNode = nullptr;
    QLabel* Label5 = nullptr; // "To"
    QLabel* lblEndNode = nullptr;
    QLabel* Label6 = nullptr; // "Nodes Created:"
    QLabel* lblNodes = nullptr;
    QLabel* Label3 = nullptr;    // "="
    QLabel* Label4 = nullptr;    // "="
    QGroupBox* Frame6 = nullptr; // "Tip:"
    ClickLabel* Label7 = nullptr;
    QPushButton* butCalculate = nullptr;
    QPushButton* butSaveTo = nullptr;
    QLabel* Picture1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Section {
        QRadioButton* text;
        QRadioButton* numeric;
        QLineEdit* start;
        QLineEdit* end;
    };
    Section section(int number) const;
    void NumericClick(int number);
    void TextClick(int number);
    void StartChange(int number);
    // The result of the last calculation is gone: nothing to save, no names shown.
    void ClearResult();
    // Refuses the calculation with a box; the boxes stay as typed and there is no result.
    void RefuseCalculation(const QString& text, const QString& title, MsgIcon icon = MsgIcon::Critical);
    // Writes the existing file's lines (when it exists), then the new names, all in capitals. False,
    // after a box, when the file cannot be read or written or would hold more names than a group may.
    bool WriteNames(const QString& path);
    // The file the names go to: the chosen one with its own name in capitals (and ".mit" when it has
    // no ending), or the group already there under that name in other letters.
    QString GroupFilePath(const QString& chosen) const;

    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
