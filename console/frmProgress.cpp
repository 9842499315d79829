#include "console/frmProgress.h"

#include "console/controls.h"
#include "console/program.h"

#include <QGridLayout>
#include <algorithm>
#include <cmath>

namespace corvane::forms {

frmProgress::frmProgress(Program&)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Distribution Progress"));
    auto* caption = new QLabel(QStringLiteral("Node in progress:"), this);
    lblNode = new QLabel(this);
    lblNode->setObjectName(QStringLiteral("lblNode"));
    lblAmount = new QLabel(this);
    lblAmount->setObjectName(QStringLiteral("lblAmount"));
    Prog1 = new QProgressBar(this);
    Prog1->setObjectName(QStringLiteral("Prog1"));
    Prog1->setRange(0, 100);
    Prog1->setValue(0);
    lblNote = new QLabel(QStringLiteral("Your message is being sent.  Please Wait..."), this);
    lblNote->setObjectName(QStringLiteral("lblNote"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(caption, 0, 0);
    layout->addWidget(lblNode, 0, 1);
    layout->addWidget(lblAmount, 1, 0, 1, 2);
    layout->addWidget(Prog1, 2, 0, 1, 2);
    layout->addWidget(lblNote, 3, 0, 1, 2);
    setMinimumWidth(360);
}

void frmProgress::Form_Load() { removeCloseCommand(this); }

void frmProgress::setValue(double value)
{
    value_ = std::clamp(value, 0.0, 100.0);
    Prog1->setValue(static_cast<int>(std::lround(value_)));
}

void frmProgress::Refresh()
{
    constexpr qint64 frameMs = 16;
    // The labels and the bar have asked for their own paints as they changed.
    if (lastPaint_.isValid() && lastPaint_.elapsed() < frameMs)
        return;
    repaint();
    lastPaint_.start();
}

} // namespace corvane::forms
