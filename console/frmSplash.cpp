#include "console/frmSplash.h"

#include "console/mainform.h"
#include "console/program.h"

#include <QVBoxLayout>

namespace corvane::forms {

frmSplash::frmSplash(Program& program) : program_(program)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setText(QStringLiteral("<h1>Corvane Server</h1><p>v8.0</p>"));
    Picture1->setMinimumSize(420, 240);
    Picture1->setStyleSheet(QStringLiteral("background:#1f3a5f;color:white;"));
    (new QVBoxLayout(this))->addWidget(Picture1);
    layout()->setContentsMargins(0, 0, 0, 0);

    startTimer = new QTimer(this);
    startTimer->setObjectName(QStringLiteral("startTimer"));
    startTimer->setInterval(500);
    connect(startTimer, &QTimer::timeout, this, [this] { startTimer_Timer(); });
    startTimer->start();
}

void frmSplash::Form_Load()
{
    SplashTicks = 0;
}

void frmSplash::startTimer_Timer()
{
    SplashTicks = static_cast<std::int16_t>(SplashTicks + 1);
    if (SplashTicks == 5)
        CloseSplash();
}

void frmSplash::Picture1_Click()
{
    CloseSplash();
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void frmSplash::keyPressEvent(QKeyEvent*)
{
    CloseSplash();
}
void frmSplash::mousePressEvent(QMouseEvent*)
{
    Picture1_Click();
}

void frmSplash::CloseSplash()
{
    startTimer->stop();
    Program& program = program_;
    program.unloadFrmSplash();
    if (program.module1().CmdLineMode == 0)
        program.mainform().show();
}

} // namespace corvane::forms
