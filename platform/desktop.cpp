#include "platform/desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace corvane {

void DesktopBrowser::open(const QString& pathOrAddress)
{
    const bool isAddress = pathOrAddress.contains(QLatin1String("://"));
    QDesktopServices::openUrl(isAddress ? QUrl(pathOrAddress)
                                        : QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath()));
}

} // namespace corvane
