#pragma once
// Desktop services: opening pages and documents in the user's viewer, and the tray icon.
#include <QString>

namespace corvane {

class IBrowser {
public:
    virtual ~IBrowser() = default;
    // Opens a local document path or a web address; earlier viewers stay open. False when no
    // browser or viewer could be started for it.
    virtual bool open(const QString& pathOrAddress) = 0;
};

class DesktopBrowser : public IBrowser {
public:
    bool open(const QString& pathOrAddress) override;
};

// The tray icon of an unattended run. Its tip and text are kept even where the desktop has no tray.
class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setTip(const QString& tip) = 0;
    virtual QString tip() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

} // namespace corvane
