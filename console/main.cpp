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
    auto dialogs = std::make_unique<corvane::QtDialogs>();
    corvane::QtDialogs& boxes = *dialogs;
    platform.dialogs = std::move(dialogs);
    platform.tray = std::make_unique<corvane::QtTrayIcon>();
    platform.tray->setTip(QStringLiteral("Corvane - Scheduled Distribution"));

    corvane::Program program(QApplication::applicationDirPath(), std::move(platform), arguments);
    boxes.setFrontWindow([&program] { return program.frontWindow(); });
    // Tests of the whole program shorten how long a box of an unattended run waits for nobody.
    bool shortened = false;
    const int answerAfter = qEnvironmentVariableIntValue("CORVANE_UNATTENDED_ANSWER_MS", &shortened);
    if (shortened && answerAfter > 0)
        program.platform().dialogs->answerAfter(answerAfter);
    program.start();
    return app.exec();
}
