#include "console/qtdialogs.h"

#include "console/controls.h"
#include "console/placement.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace corvane {

namespace {

// Runs a box until it is answered, or until it answers itself after the given time. The box is its
// owner's child, kept in front of it; an owner unloaded while the box is open (a window that a timer
// closes) takes the box with it, and the box counts as cancelled. answeredItself tells which it was.
int runBox(QDialog* box, int answerAfter, bool& answeredItself, const std::function<void()>& answer)
{
    answeredItself = false;
    if (answerAfter > 0) {
        QTimer::singleShot(answerAfter, box, [&answeredItself, answer] {
            answeredItself = true;
            answer();
        });
    }
    return box->exec();
}

} // namespace

QWidget* QtDialogs::owner() const
{
    // A box opened from another box belongs to that one.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return front_ ? front_() : nullptr;
}

MsgAnswer QtDialogs::msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    QPointer<QMessageBox> box = new QMessageBox(owner());
    box->setWindowTitle(title);
    box->setText(text);
    switch (icon) {
    case MsgIcon::None: box->setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box->setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box->setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box->setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box->setIcon(QMessageBox::Information); break;
    }
    // The first button is the default, which the Enter key and a box that answers itself take.
    QMessageBox::StandardButton first = QMessageBox::Ok;
    switch (buttons) {
    case MsgButtons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        first = QMessageBox::Yes;
        break;
    case MsgButtons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        first = QMessageBox::Yes;
        break;
    case MsgButtons::RetryCancel:
        box->setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        first = QMessageBox::Retry;
        break;
    }
    box->setDefaultButton(first);
    // The box sizes itself to its layout: an empty item as wide as the title keeps it from cutting
    // the title short.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const QMargins margins = grid->contentsMargins();
        grid->addItem(new QSpacerItem(titleWidth(box) - margins.left() - margins.right(), 0), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    const int answer = runBox(box, answerAfter_, answeredItself_, [box] { box->defaultButton()->click(); });
    delete box;
    switch (answer) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    default: return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    QPointer<QInputDialog> box = new QInputDialog(owner());
    box->setWindowTitle(title);
    box->setLabelText(prompt);
    box->setTextValue(defaultText);
    // A name or a value is one line, as in every one-line box of the program.
    if (auto* edit = box->findChild<QLineEdit*>())
        keepOnOneLine(edit);
    // The box takes its size from the layout it builds when shown, around the prompt: a prompt as
    // wide as the title widens it.
    if (auto* label = box->findChild<QLabel*>()) {
        QStyle* style = box->style();
        label->setMinimumWidth(titleWidth(box) - style->pixelMetric(QStyle::PM_LayoutLeftMargin) -
                               style->pixelMetric(QStyle::PM_LayoutRightMargin));
    }
    const bool typed = runBox(box, answerAfter_, answeredItself_, [box] { box->reject(); }) == QDialog::Accepted;
    const QString text = typed && box ? box->textValue() : QString();
    delete box;
    return text;
}

namespace {

// The extension a name typed without one gets: the filter's, when it names exactly one
// ("Message Files (*.txt)" gives "txt"; "HTML Files (*.htm*)" gives none).
QString defaultSuffix(const QString& filter)
{
    static const QRegularExpression single(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)"));
    const QRegularExpressionMatch match = single.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString chooseFile(QWidget* owner, int answerAfter, bool& answeredItself, const QString& title, const QString& folder,
                   const QString& filter, QFileDialog::AcceptMode mode)
{
    QPointer<QFileDialog> box = new QFileDialog(owner, title, folder, filter);
    box->setAcceptMode(mode);
    box->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt's own dialog adds the extension before it asks whether to replace a file of that name, so
    // the question comes for "notes" as for "notes.txt"; a desktop's dialog may ask about the name
    // as typed and let the file with the extension be replaced unasked.
    box->setOption(QFileDialog::DontUseNativeDialog);
    box->setDefaultSuffix(defaultSuffix(filter));
    box->setMinimumWidth(titleWidth(box));
    const bool chosen = runBox(box, answerAfter, answeredItself, [box] { box->reject(); }) == QDialog::Accepted;
    const QString path =
        chosen && box && !box->selectedFiles().isEmpty() ? box->selectedFiles().constFirst() : QString();
    delete box;
    return path;
}

} // namespace

QString QtDialogs::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    return chooseFile(owner(), answerAfter_, answeredItself_, title, folder, filter, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFileName(const QString& title, const QString& folder, const QString& filter)
{
    return chooseFile(owner(), answerAfter_, answeredItself_, title, folder, filter, QFileDialog::AcceptSave);
}

QtTrayIcon::QtTrayIcon()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        icon_ = std::make_unique<QSystemTrayIcon>();
        icon_->setIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    }
}

QtTrayIcon::~QtTrayIcon() = default;

void QtTrayIcon::setVisible(bool visible)
{
    visible_ = visible;
    if (icon_)
        icon_->setVisible(visible);
}

void QtTrayIcon::setTip(const QString& tip)
{
    tip_ = tip;
    updateToolTip();
}

void QtTrayIcon::setText(const QString& text)
{
    text_ = text;
    updateToolTip();
}

void QtTrayIcon::updateToolTip()
{
    if (icon_)
        icon_->setToolTip(text_.isEmpty() ? tip_ : tip_ + QLatin1Char('\n') + text_);
}

} // namespace corvane
