#pragma once
// The group text editor: a group file edited as free text.
#include "console/controls.h"

#include <QGroupBox>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmEdit : public QWidget {
    Q_OBJECT
public:
    explicit frmEdit(Program& program);

    void Form_Load();

    QGroupBox* frameFiles = nullptr;
    FileListBox* fileGroups = nullptr;
    QGroupBox* frameText = nullptr;
    MultiLineBox* txtFile = nullptr;

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
