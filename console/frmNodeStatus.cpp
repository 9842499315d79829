#include "console/frmNodeStatus.h"

#include "console/frmNodeDetail.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/deliverystatus.h"
#include "engine/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <limits>
#include <set>

namespace corvane::forms {

namespace {

const QString kPass = QStringLiteral("Pass");
const QString kFail = QStringLiteral("Fail");
const QString kEntered = QStringLiteral("ENTERED");

struct OldRecord {
    QString name;
    QString count; // as the file holds it
    bool counted = false;
};

// The count of a failed-nodes record as a number; false when it is none.
bool countValue(const QString& text, qint64& value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    if (ok)
        return true;
    std::int16_t small = 0;
    if (!toInt16(text, small))
        return false;
    value = small;
    return true;
}

} // namespace

frmNodeStatus::frmNodeStatus(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmNodeStatus"));
    setWindowTitle(QStringLiteral("Message Delivery Status"));

    Label1 = new QLabel(QStringLiteral("Double Click a Node below for detailed information..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(17, 16));
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    // One cell per node, wide enough for a computer name of 14 characters, so the icons stand in a
    // regular grid; the window opens with room for five columns of four.
    const QFontMetrics metrics = ListView1->fontMetrics();
    const QSize cell(metrics.horizontalAdvance(QLatin1Char('W')) * 9, 16 + metrics.height() * 2 + 8);
    ListView1->setGridSize(cell);
    ListView1->setUniformItemSizes(true);
    ListView1->setWordWrap(true);
    ListView1->setMinimumSize(cell.width() * 5 + 24, cell.height() * 4 + 8);
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] { ListView1_DblClick(); });

    lblPass = new QLabel(QStringLiteral("Passed:"), this);
    lblPass->setObjectName(QStringLiteral("lblPass"));
    lblFail = new QLabel(QStringLiteral("Failed:"), this);
    lblFail->setObjectName(QStringLiteral("lblFail"));
    butClose = new QPushButton(QStringLiteral("Close Status"), this);
    butClose->setObjectName(QStringLiteral("butClose"));
    butSave = new QPushButton(QStringLiteral("Save Failed Nodes"), this);
    butSave->setObjectName(QStringLiteral("butSave"));
    bindClick(butClose, [this] { butClose_Click(); });
    bindClick(butSave, [this] { butSave_Click(); });

    auto* counts = new QHBoxLayout;
    counts->addWidget(lblPass);
    counts->addWidget(lblFail);
    counts->addStretch();
    counts->addWidget(butSave);
    counts->addWidget(butClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListView1);
    layout->addLayout(counts);
}

QIcon frmNodeStatus::nodeIcon(int picture)
{
    QColor colour = Qt::gray;
    if (picture == 1)
        colour = QColor(0, 160, 0);
    else if (picture == 2)
        colour = QColor(0, 0, 220);
    else if (picture == 3)
        colour = QColor(220, 0, 0);
    QPixmap pixmap(17, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A small screen on its stand, in the colour of the outcome.
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    painter.drawRect(1, 1, 14, 10);
    painter.drawRect(6, 12, 4, 2);
    painter.drawLine(3, 15, 13, 15);
    return QIcon(pixmap);
}

int frmNodeStatus::pictureFor(const QString& status, const QString& result)
{
    if (status == kPass)
        return 1;
    if (status != kFail)
        return 0;
    if (result == kServiceError || result == kClientFailed)
        return 2;
    if (result == kDomainFailed || result == kNoPing)
        return 3;
    return 0;
}

bool frmNodeStatus::FileExists(const QString& path) const
{
    return Module1::FileExists(path);
}

void frmNodeStatus::Form_Load()
{
    if (m1_.ServiceName == QLatin1String("NUVOCLIENT"))
        setWindowTitle(QStringLiteral("Message Delivery Status - [Nuvo Client]"));
    else if (m1_.ServiceName == QLatin1String("MESSENGER"))
        setWindowTitle(QStringLiteral("Message Delivery Status - [Windows Messenger Service]"));
    removeCloseCommand(this);
    butSave->setEnabled(true);
    m1_.FailedCount = 0;
    m1_.PassedCount = 0;
    m1_.RemoveClientMessageFile();

    ListView1->clear();
    const int count = std::clamp<int>(m1_.TargetCount, 0, static_cast<int>(m1_.TargetNames.size()));
    for (int i = 0; i < count; ++i) {
        const int picture = pictureFor(m1_.TargetStatus[i], m1_.TargetResult[i]);
        if (picture == 0)
            continue;
        auto* item = new QListWidgetItem(nodeIcon(picture), m1_.TargetNames[i], ListView1);
        // Every entry takes its whole cell: measured while the advice box holds the window unshown,
        // the entries would keep a size that cuts an address short ("127.0.5...").
        item->setSizeHint(ListView1->gridSize());
        // The entry keeps its target's index, so the diagnosis always names the node clicked.
        item->setData(Qt::UserRole, i);
        item->setData(Qt::UserRole + 1, picture);
        if (picture == 1)
            m1_.PassedCount = static_cast<std::int16_t>(m1_.PassedCount + 1);
        else
            m1_.FailedCount = static_cast<std::int16_t>(m1_.FailedCount + 1);
    }

    if (m1_.FailedCount > 1 && m1_.PassedCount == 0) {
        const QString gap = QStringLiteral("\r\n\r\n");
        const QString last = QStringLiteral(
            "Try double clicking the Nodes in the Distribution Status window for further possible solutions.");
        QString text;
        if (m1_.ServiceName == QLatin1String("MESSENGER"))
            text = QStringLiteral("All targets failed to receive your message.  You may wish to check your that your "
                                  "windows MESSENGER SERVICE is ENABLED on this PC (and on the clients)") +
                   gap +
                   QStringLiteral("Read the Help Files on how to do this.  If the service is disabled then you will "
                                  "not be able to send out messages.") +
                   gap + last;
        else if (m1_.ServiceName == QLatin1String("NUVOCLIENT"))
            text = QStringLiteral("All targets failed to receive your message.  You may wish to check your that your "
                                  "clients have the Nuvo Client program installed and running.") +
                   gap +
                   QStringLiteral("Read the Help Files on how to do this.  If the clients are not running Nuvo Client "
                                  "then you will not be able to send out messages to them via the Nuvo Client "
                                  "service.") +
                   gap + last;
        if (!text.isEmpty())
            m1_.dialogs().msgBox(text, MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Information"));
    }

    lblPass->setText(QStringLiteral("Passed: ") + QString::number(m1_.PassedCount));
    lblFail->setText(QStringLiteral("Failed: ") + QString::number(m1_.FailedCount));
    if (m1_.FailedCount == 0)
        butSave->setEnabled(false);
}

void frmNodeStatus::WriteSentLogRecord()
{
    // One record per distribution, whichever way the window is left.
    if (recordWritten_)
        return;
    recordWritten_ = true;
    const QStringList lines{
        QStringLiteral("[LOG_BEGIN]"),
        QStringLiteral("Date=") + m1_.DateText(),
        QStringLiteral("Time=") + m1_.TimeText(),
        QStringLiteral("Type=") + m1_.LogType,
        QStringLiteral("Target=") + upperName(m1_.LogTarget),
        QStringLiteral("Pass=") + QString::number(m1_.PassedCount),
        QStringLiteral("Fail=") + QString::number(m1_.FailedCount),
        QStringLiteral("[Message_Start]"),
        m1_.CurrentMessage,
        QStringLiteral("[Message_End]"),
        QStringLiteral("SentViaIP=") + m1_.SendAsIP,
        QStringLiteral("Service=") + m1_.ServiceName,
    };
    m1_.GetFreeFileNumber();
    // The blank line before each record separates it from the one before.
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/sent.Log");
    QString error;
    bool partLeft = false;
    if (!appendToFile(path, QByteArrayLiteral("\r\n") + crlfLines(lines), &error, &partLeft)) {
        m1_.dialogs().msgBox(QStringLiteral("The sent log ") + path +
                                 (partLeft ? QStringLiteral(" could not be written whole; it now ends in part of this "
                                                            "distribution's record (")
                                           : QStringLiteral(" could not be written; this distribution is not recorded "
                                                            "in it (")) +
                                 error + QStringLiteral(")."),
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
    }
}

bool frmNodeStatus::MergeFailedNodes()
{
    const auto corrupt = [this] {
        m1_.dialogs().msgBox(QStringLiteral("The FailNodes.log file is Invalid or Corrupt.  Please re-install Corvane"),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Information"));
        return false;
    };
    constexpr int kMaxEntries = 10001;
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/FailNodes.Log");

    m1_.GetFreeFileNumber();
    std::vector<OldRecord> old;
    // A missing log is an empty one; the merge creates it.
    if (QFile::exists(path)) {
        const ReadResult read = readTextLines(path);
        if (!read.ok)
            return corrupt();
        for (const QString& line : read.lines) {
            if (line == QLatin1String(":"))
                break;
            OldRecord record;
            if (!line.isEmpty()) {
                const int colon = line.indexOf(QLatin1Char(':'));
                if (colon < 0)
                    return corrupt();
                record.name = line.left(colon);
                record.count = line.mid(colon + 1).section(QLatin1Char(':'), 0, 0);
                qint64 value = 0;
                if (!countValue(record.count, value))
                    return corrupt();
            }
            if (static_cast<int>(old.size()) >= kMaxEntries)
                return corrupt();
            old.push_back(record);
        }
    }

    // The statuses are marked on a copy; the program-wide list takes the marks once the log is written.
    const int targets = std::clamp<int>(m1_.TargetCount, 0, static_cast<int>(m1_.TargetStatus.size()));
    std::vector<QString> status(m1_.TargetStatus.begin(), m1_.TargetStatus.begin() + targets);
    QStringList output;
    std::set<QString> written;
    for (OldRecord& record : old) {
        for (int j = 0; j < targets; ++j) {
            if (m1_.TargetNames[j] != record.name)
                continue;
            if (status[j] == kPass)
                break;
            // Every record of a failed computer is counted up, also when an earlier record of the
            // same name already took the failure; a computer listed twice in the group failed one
            // distribution, not two.
            if (!record.counted) {
                qint64 value = 0;
                countValue(record.count, value);
                // The largest count stays the largest.
                record.count = QString::number(value == std::numeric_limits<qint64>::max() ? value : value + 1);
                record.counted = true;
                output << record.name + QLatin1Char(':') + record.count;
                written.insert(record.name);
            }
            status[j] = kEntered;
        }
    }
    std::set<QString> known;
    for (const OldRecord& record : old)
        known.insert(record.name);
    for (int j = 0; j < targets; ++j) {
        if (status[j] != kFail)
            continue;
        status[j] = kEntered;
        // Each computer keeps one line: one already in the log is not added beside it. A name holding
        // ":" cannot be read back from a NAME:COUNT line, so it would spoil the whole log.
        if (known.count(m1_.TargetNames[j]) || written.count(m1_.TargetNames[j]) ||
            m1_.TargetNames[j].contains(QLatin1Char(':')))
            continue;
        output << m1_.TargetNames[j] + QStringLiteral(":1");
        written.insert(m1_.TargetNames[j]);
    }
    for (const OldRecord& record : old) {
        if (!record.counted)
            output << record.name + QLatin1Char(':') + record.count;
    }
    if (output.size() > kMaxEntries)
        return corrupt();

    QStringList lines;
    for (const QString& entry : output) {
        if (!entry.startsWith(QLatin1Char(':')))
            lines << entry;
    }
    m1_.GetFreeFileNumber();
    bool changed = false;
    if (!writeWholeFile(path, crlfLines(lines), nullptr, &changed)) {
        // A log that already holds this run's counts must not count them again at the next click.
        if (changed)
            std::copy(status.begin(), status.end(), m1_.TargetStatus.begin());
        return corrupt();
    }
    std::copy(status.begin(), status.end(), m1_.TargetStatus.begin());
    return true;
}

void frmNodeStatus::butClose_Click()
{
    if (m1_.LogMessages == 1)
        WriteSentLogRecord();
    mainform& main = program_.mainform();
    main.show();
    main.activateWindow();
    program_.unloadFrmNodeStatus();
    program_.unloadFrmProgress();
}

void frmNodeStatus::butSave_Click()
{
    const MsgAnswer answer =
        m1_.dialogs().msgBox(QStringLiteral("Are you sure you want to add the Failed Nodes to the log?"),
                             MsgButtons::YesNo, MsgIcon::None, QStringLiteral("Corvane: Question"));
    if (answer == MsgAnswer::Yes) {
        // A failed merge leaves the window open, and no record written, so the operator can still leave
        // through "Close Status".
        if (!MergeFailedNodes()) {
            program_.unloadFrmProgress();
            return;
        }
        if (m1_.LogMessages == 1)
            WriteSentLogRecord();
        mainform& main = program_.mainform();
        main.show();
        main.activateWindow();
        Program& program = program_;
        program.unloadFrmNodeStatus();
        program.unloadFrmProgress();
        return;
    }
    program_.unloadFrmProgress();
}

void frmNodeStatus::ListView1_DblClick()
{
    QListWidgetItem* item = ListView1->currentItem();
    if (!item || !item->isSelected())
        return;
    const int index = item->data(Qt::UserRole).toInt();
    frmNodeDetail& detail = program_.frmNodeDetail();
    detail.ShowNode(index);
    detail.show();
    detail.raise();
    detail.activateWindow();
}

} // namespace corvane::forms
