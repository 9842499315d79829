#include "platform/desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace corvane {

bool DesktopBrowser::open(const QString& pathOrAddress)
{
    const bool isAddress = pathOrAddress.contains(QLatin1String("://"));
    return QDesktopServices::openUrl(isAddress ? QUrl(pathOrAddress)
                                               : QUrl::fromLocalFile(QFileInfo(pathOrAddress).absoluteFilePath()));
}

} // namespace corvane
