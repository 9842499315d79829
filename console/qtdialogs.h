#pragma once
#include "platform/desktop.h"
#include "platform/dialogs.h"

#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWidget;

namespace corvane {

// Message boxes, input boxes and file dialogs on the desktop, each in front of the window it belongs
// to and wide enough for its whole title.
class QtDialogs : public IDialogs {
public:
    MsgAnswer msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& filter) override;
    void answerAfter(int milliseconds) override { answerAfter_ = milliseconds; }
    bool answeredItself() const override { return answeredItself_; }

    // The program's window in front, which a box opened now belongs to.
    void setFrontWindow(std::function<QWidget*()> front) { front_ = std::move(front); }

private:
    QWidget* owner() const;

    std::function<QWidget*()> front_;
    int answerAfter_ = 0;
    bool answeredItself_ = false;
};

// The system tray icon; where the desktop has no tray the tip and text are still kept.
class QtTrayIcon : public ITrayIcon {
public:
    QtTrayIcon();
    ~QtTrayIcon() override;
    void setVisible(bool visible) override;
    bool isVisible() const override { return visible_; }
    void setTip(const QString& tip) override;
    QString tip() const override { return tip_; }
    void setText(const QString& text) override;
    QString text() const override { return text_; }

private:
    void updateToolTip();
    std::unique_ptr<QSystemTrayIcon> icon_;
    bool visible_ = false;
    QString tip_;
    QString text_;
};

} // namespace corvane
