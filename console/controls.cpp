#include "console/controls.h"

#include "engine/textfile.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QValidator>

namespace corvane {

namespace {

class ClickHandler : public QObject {
public:
    ClickHandler(QObject* parent, std::function<void()> fn) : QObject(parent), fn(std::move(fn)) {}
    std::function<void()> fn;
    bool wasChosen = false;
};

// A validator sees every change of the box's text, the operator's and the code's, and may change
// it; the length stays, so the cursor stays where it was.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = oneLine(std::move(input));
        return Acceptable;
    }
};

class CloseRefuser : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void bindClick(QAbstractButton* control, std::function<void()> handler)
{
    auto* holder = new ClickHandler(control, std::move(handler));
    QObject::connect(control, &QAbstractButton::clicked, holder, [holder] { holder->fn(); });
}

void bindOptionClick(QRadioButton* option, std::function<void()> handler)
{
    auto* holder = new ClickHandler(option, std::move(handler));
    QObject::connect(option, &QAbstractButton::pressed, holder,
                     [holder, option] { holder->wasChosen = option->isChecked(); });
    QObject::connect(option, &QAbstractButton::clicked, holder, [holder] {
        if (!holder->wasChosen)
            holder->fn();
    });
}

void runClick(QAbstractButton* control)
{
    if (auto* holder = control->findChild<ClickHandler*>(QString(), Qt::FindDirectChildrenOnly))
        holder->fn();
}

void selectOption(QRadioButton* option)
{
    option->setChecked(true);
    runClick(option);
}

void chooseOption(QRadioButton* option)
{
    if (!option->isChecked())
        selectOption(option);
}

void setTicked(QCheckBox* box, bool ticked)
{
    if (box->isChecked() == ticked)
        return;
    box->setChecked(ticked);
    runClick(box);
}

void keepOnOneLine(QLineEdit* box)
{
    box->setValidator(new OneLineValidator(box));
}

void removeCloseCommand(QWidget* window)
{
    window->setWindowFlag(Qt::WindowCloseButtonHint, false);
    window->installEventFilter(new CloseRefuser(window));
}

void setTextColour(QWidget* control, const QColor& colour)
{
    // Only the control's own caption: what it holds (a frame's message box and its scroll bar) keeps
    // the colours it has.
    for (QWidget* child : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QPalette own = child->palette();
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
            own.setColor(role, own.color(role));
        child->setPalette(own);
    }
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    control->setPalette(palette);
}

void colourOptions(std::initializer_list<QRadioButton*> options, const QColor& others)
{
    for (QRadioButton* option : options)
        setTextColour(option, option->isChecked() ? QColor(0, 0, 255) : others);
}

void FileListBox::setPath(const QString& folder)
{
    path_ = folder;
    Refresh();
}

void FileListBox::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    const QString selected = fileName();
    clear();
    if (path_.isEmpty())
        return;
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern_),
                                   QRegularExpression::CaseInsensitiveOption);
    QStringList names = QDir(path_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (match.match(name).hasMatch())
            addItem(name);
    }
    if (!selected.isEmpty())
        selectFile(selected);
}

QString FileListBox::fileName() const
{
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

bool FileListBox::selectFile(const QString& name)
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
            setCurrentRow(i);
            return true;
        }
    }
    return false;
}

void ClickListBox::onClick(std::function<void()> handler)
{
    click_ = std::move(handler);
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (click_)
            click_();
    });
}

void ClickListBox::keyPressEvent(QKeyEvent* event)
{
    const QListWidgetItem* before = currentItem();
    const bool wasSelected = before && before->isSelected();
    QListWidget::keyPressEvent(event);
    const QListWidgetItem* after = currentItem();
    if (click_ && after && after->isSelected() && (after != before || !wasSelected))
        click_();
}

void ClickListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    // A list without rows gets no row click, yet the operator's click on it still has its answer.
    if (click_ && count() == 0 && event->button() == Qt::LeftButton)
        click_();
}

void ClickLabel::onClick(std::function<void()> handler)
{
    click_ = std::move(handler);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (click_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click_();
}

} // namespace corvane
