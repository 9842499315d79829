#include "console/program.h"
#include "console/qtdialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    corvane::Platform platform = corvane::linuxPlatform(QApplication::applicationDirPath());
    platform.dialogs = std::make_unique<corvane::QtDialogs>();
    platform.tray = std::make_unique<corvane::QtTrayIcon>();
    platform.tray->setTip(QStringLiteral("Corvane - Scheduled Distribution"));

    corvane::Program program(QApplication::applicationDirPath(), std::move(platform), arguments);
    program.start();
    return app.exec();
}
