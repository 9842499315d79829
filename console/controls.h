#pragma once
// Small pieces every window shares: click handlers that also run when code sets a control, the file
// and folder lists, windows without a Close command and the keys of a window's buttons.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <functional>
#include <type_traits>

namespace corvane {

// Keeps a one-line box on one line: a CR or LF that reaches it, typed, pasted, dropped or set from
// code, becomes a space, so that no line break gets from a box into a file read by line position.
void keepOnOneLine(QLineEdit* box);

// Gives a control its name (the name the operator's documentation uses) and its tool tip. Every
// one-line box is made here, so every one is kept on one line.
template <class Control> Control* named(Control* control, const char* name, const QString& tip = {})
{
    control->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        control->setToolTip(tip);
    if constexpr (std::is_base_of_v<QLineEdit, Control>)
        keepOnOneLine(control);
    return control;
}

// Connects the operator's click on the control to the handler and keeps the handler with the
// control, so that setting the control from code runs it as the operator's click would.
void bindClick(QAbstractButton* control, std::function<void()> handler);
// As bindClick, for an option button whose click handler runs only when the operator chooses it: a
// click on the option that is already chosen changes nothing and runs nothing.
void bindOptionClick(QRadioButton* option, std::function<void()> handler);
// Runs the control's bound handler, if it has one.
void runClick(QAbstractButton* control);
// Selects an option and runs its click handler, whether or not it was selected already.
void selectOption(QRadioButton* option);
// Selects an option that is not selected yet, which runs its click handler; one that is selected
// already is left as it is, and its handler does not run again.
void chooseOption(QRadioButton* option);
// Ticks or clears a check box; its click handler runs when its state changes.
void setTicked(QCheckBox* box, bool ticked);

// Takes away the window's Close command: the window manager's close request is refused, and the
// window is left through its own buttons.
void removeCloseCommand(QWidget* window);

// The keys an operator expects of a dialog, for a window that is not one: Enter presses the button
// that has the focus, or else the default button (drawn as such); Escape does what the window's
// Cancel or Close does. A control that takes the key itself (a multi-line box's Enter) keeps it.
// Either may be left out.
void setWindowKeys(QWidget* window, QPushButton* enter, std::function<void()> escape);

// The colour of a control's caption.
void setTextColour(QWidget* control, const QColor& colour);

// Shows the chosen option of a group in blue and the others in the given colour.
void colourOptions(std::initializer_list<QRadioButton*> options, const QColor& others = Qt::black);

// A list whose click handler runs when the operator clicks a row, when the operator moves to
// another row with the keyboard, and, on a list without rows, on a click anywhere in it. Setting
// the list from code does not run it.
class ClickListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    void onClick(std::function<void()> handler);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> click_;
};

// A list of the files of one folder that match a pattern ("*.mit"), compared without regard to case.
class FileListBox : public ClickListBox {
    Q_OBJECT
public:
    using ClickListBox::ClickListBox;
    void setPath(const QString& folder);
    QString path() const { return path_; }
    void setPattern(const QString& pattern);
    QString pattern() const { return pattern_; }
    void Refresh();
    // The selected file's name, or an empty text.
    QString fileName() const;
    // Selects the entry with that name (compared without regard to case); false when none has it.
    bool selectFile(const QString& name);

private:
    QString path_;
    QString pattern_ = QStringLiteral("*");
};

// A folder list: the branch of folders from the root down to the open folder, and beneath it the
// folders the open one holds. Opening a row (a double click, or Enter) makes it the open folder, so
// the operator browses down into a folder and back up to any folder above it. The change handler
// runs whenever the open folder changes, whether the operator or code changed it.
class FolderListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);
    void onChange(std::function<void()> handler);
    // The open folder, without a closing "/" (unless it is the root).
    QString path() const { return path_; }
    void setPath(const QString& folder);
    // Reads the open folder's subfolders again.
    void Refresh();
    // The row of that folder, if the list shows it.
    QTreeWidgetItem* row(const QString& folder);

protected:
    // Every folder above the open one is open already: there is nothing to fold, so no branch marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    QString path_;
    std::function<void()> change_;
};

// A label the operator clicks as a link.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void onClick(std::function<void()> handler);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> click_;
};

// The busy pointer over a window while a file is read or written.
class BusyPointer {
public:
    explicit BusyPointer(QWidget* window) : window_(window) { window_->setCursor(Qt::WaitCursor); }
    ~BusyPointer() { window_->unsetCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    QWidget* window_;
};

} // namespace corvane
