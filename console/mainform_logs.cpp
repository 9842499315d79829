// The "Distribution Logs" tab: the sent-message report, the failed-nodes report and the message
// detail, rebuilt from the two logs at every switch to the tab.
#include "console/frmMsg.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane::forms {

namespace {

// The picture of each record type in the lists.
int pictureOfType(const QString& type)
{
    if (type == QLatin1String("GROUP"))
        return 2;
    if (type == QLatin1String("SINGLE"))
        return 3;
    if (type == QLatin1String("DOMAIN"))
        return 4;
    return 0;
}

QTreeWidget* reportList(QWidget* parent, const char* name, const QString& tip, const QStringList& headers)
{
    auto* list = named(new QTreeWidget(parent), name, tip);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setEnabled(false);
    return list;
}

} // namespace

QWidget* mainform::buildLogsTab()
{
    images_[1] = QIcon(QStringLiteral(":/images/failednode.xpm"));
    images_[2] = QIcon(QStringLiteral(":/images/group.xpm"));
    images_[3] = QIcon(QStringLiteral(":/images/single.xpm"));
    images_[4] = QIcon(QStringLiteral(":/images/domain.xpm"));

    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabLogs"));

    tab4frame1 = named(new QGroupBox(QStringLiteral("Sent Message Logs"), tab), "tab4frame1");
    ListView5 = reportList(tab4frame1, "ListView5", QStringLiteral("Double click a log line to view more detail..."),
                           {QString(), QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Sent To"),
                            QStringLiteral("Pass"), QStringLiteral("Fail"), QStringLiteral("Total"),
                            QStringLiteral("Message (Preview)")});
    const int widths[] = {86, 80, 70, 130, 44, 44, 44};
    for (int column = 0; column < 7; ++column)
        ListView5->setColumnWidth(column, widths[column]);
    connect(ListView5, &QTreeWidget::itemDoubleClicked, this, [this] { ListView5_DblClick(); });
    (new QVBoxLayout(tab4frame1))->addWidget(ListView5);

    tab4frame2 = named(new QGroupBox(QStringLiteral("Previously Failed Nodes"), tab), "tab4frame2");
    ListView4 =
        reportList(tab4frame2, "ListView4", QStringLiteral("This list is your nodes that fail to receive messages"),
                   {QStringLiteral("Node"), QStringLiteral("Times Failed")});
    rptButClearLog = named(new QPushButton(QStringLiteral("Clear Log File"), tab4frame2), "rptButClearLog");
    bindClick(rptButClearLog, [this] { rptButClearLog_Click(); });
    auto* failed = new QVBoxLayout(tab4frame2);
    failed->addWidget(ListView4);
    failed->addWidget(rptButClearLog, 0, Qt::AlignRight);

    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(tab4frame1, 3);
    layout->addWidget(tab4frame2, 1);
    return tab;
}

QIcon mainform::ImageList1(int picture) const
{
    return picture >= 1 && picture <= 4 ? images_[picture] : QIcon();
}

void mainform::LoadSentLog()
{
    m1_.GetFreeFileNumber();
    SentLog = readSentLog(m1_.AppPath() + QStringLiteral("/Logs/sent.Log"), kMaxSentLogRecords);
    ListView5->clear();
    if (SentLog.empty())
        return;
    // The newest record is the first line; each line keeps the index of its record.
    QList<QTreeWidgetItem*> lines;
    lines.reserve(static_cast<qsizetype>(SentLog.size()));
    for (std::size_t k = SentLog.size(); k-- > 0;) {
        const SentLogEntry& r = SentLog[k];
        QString preview = r.message;
        preview.replace(QLatin1String(kCrLf), QLatin1String(" "));
        auto* line = new QTreeWidgetItem(
            QStringList{r.type, r.date, r.time, r.target, r.pass, r.fail, r.total, preview.trimmed()});
        const int picture = pictureOfType(r.type);
        line->setIcon(0, ImageList1(picture));
        line->setData(0, Qt::UserRole, picture);
        line->setData(0, Qt::UserRole + 1, static_cast<qulonglong>(k));
        lines << line;
    }
    ListView5->addTopLevelItems(lines);
    ListView5->setEnabled(true);
}

void mainform::LoadFailNodesLog()
{
    ListView4->clear();
    m1_.GetFreeFileNumber();
    FailLog = readFailedNodes(m1_.AppPath() + QStringLiteral("/Logs/FailNodes.Log"), kMaxFailLogLines);
    qint64 largest = 0;
    for (const FailedNodeEntry& entry : FailLog)
        largest = std::max(largest, entry.times);
    FillFailedNodesByCount(static_cast<int>(FailLog.size()), largest);
    ListView4->setEnabled(largest > 0);
}

void mainform::FillFailedNodesByCount(int lines, qint64 largest)
{
    // Highest count first; equal counts keep their order in the file.
    std::vector<const FailedNodeEntry*> order;
    for (int j = 0; j < lines && j < static_cast<int>(FailLog.size()); ++j) {
        if (FailLog[j].times >= 1 && FailLog[j].times <= largest)
            order.push_back(&FailLog[j]);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const FailedNodeEntry* a, const FailedNodeEntry* b) { return a->times > b->times; });
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(order.size()));
    for (const FailedNodeEntry* entry : order) {
        auto* item = new QTreeWidgetItem(QStringList{entry->name, entry->count});
        item->setIcon(0, ImageList1(1));
        item->setData(0, Qt::UserRole, 1);
        items << item;
    }
    ListView4->addTopLevelItems(items);
}

void mainform::ListView5_DblClick()
{
    ShowSentLogRecord();
}

void mainform::ShowSentLogRecord()
{
    const QTreeWidgetItem* line = ListView5->currentItem();
    if (!line || !line->isSelected())
        return;
    const std::size_t k = line->data(0, Qt::UserRole + 1).toULongLong();
    if (k >= SentLog.size())
        return;
    const SentLogEntry& r = SentLog[k];
    frmMsg& detail = program_.frmMsg();
    static const QString words[] = {QString(), QString(), QStringLiteral("Group"), QStringLiteral("Single"),
                                    QStringLiteral("Domain")};
    detail.lblType->setText(words[pictureOfType(r.type)]);
    detail.lblDate->setText(r.date);
    detail.lblTime->setText(r.time);
    detail.lblTo->setText(r.target);
    detail.lblPass->setText(r.pass);
    detail.lblFail->setText(r.fail);
    detail.lblTotal->setText(r.total);
    detail.txtMsg->setText(r.message);
    detail.lblMessMode->setText(r.service);
    bringUp(detail);
}

void mainform::rptButClearLog_Click()
{
    if (m1_.dialogs().msgBox(QStringLiteral("Are you sure you want to erase the Failed Nodes log file?"),
                             MsgButtons::YesNo, MsgIcon::None, QStringLiteral("Corvane: Question")) != MsgAnswer::Yes)
        return;
    m1_.GetFreeFileNumber();
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/FailNodes.Log");
    QString error;
    if (!writeWholeFile(path, QByteArray(), &error)) {
        m1_.dialogs().msgBox(QStringLiteral("The failed-nodes log ") + path +
                                 QStringLiteral(" could not be emptied (") + error +
                                 QStringLiteral("); it is left as it was."),
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
        return;
    }
    ListView4->clear();
}

} // namespace corvane::forms
