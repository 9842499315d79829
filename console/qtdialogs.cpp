#include "console/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStyle>
#include <QSystemTrayIcon>

namespace corvane {

MsgAnswer QtDialogs::msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    default: return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
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

QString chooseFile(const QString& title, const QString& folder, const QString& filter, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(nullptr, title, folder, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Qt's own dialog adds the extension before it asks whether to replace a file of that name, so
    // the question comes for "notes" as for "notes.txt"; a desktop's dialog may ask about the name
    // as typed and let the file with the extension be replaced unasked.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtDialogs::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    return chooseFile(title, folder, filter, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFileName(const QString& title, const QString& folder, const QString& filter)
{
    return chooseFile(title, folder, filter, QFileDialog::AcceptSave);
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
