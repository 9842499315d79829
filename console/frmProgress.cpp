#include "console/frmProgress.h"

#include "console/controls.h"
#include "console/program.h"

#include <QGridLayout>
#include <QTimer>
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
    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, [this] { Refresh(); });

    // The labels change with every node; the window keeps its size rather than following them.
    for (QLabel* changing : {lblNode, lblAmount})
        changing->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(360);
}

void frmProgress::Form_Load()
{
    removeCloseCommand(this);
}

void frmProgress::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Once laid out, the window and the two changing labels keep their size: a new text then only
    // needs painting, not a new layout of the whole window for every node.
    if (!sizeFixed_) {
        sizeFixed_ = true;
        setFixedSize(size());
        for (QLabel* changing : {lblNode, lblAmount})
            changing->setFixedSize(changing->size());
    }
}

void frmProgress::setValue(double value)
{
    value_ = std::clamp(value, 0.0, 100.0);
    Prog1->setValue(static_cast<int>(std::lround(value_)));
}

void frmProgress::Refresh()
{
    constexpr int frameMs = 40;
    if (lastPaint_.isValid() && lastPaint_.elapsed() < frameMs) {
        // Within a frame of the last paint the changes wait for the next frame, which the timer
        // paints even when no further node comes by then.
        setUpdatesEnabled(false);
        if (!frameTimer_->isActive())
            frameTimer_->start(frameMs - static_cast<int>(lastPaint_.elapsed()));
        return;
    }
    frameTimer_->stop();
    setUpdatesEnabled(true);
    repaint();
    lastPaint_.start();
}

} // namespace corvane::forms
