// The "Distribution Logs" tab: the sent-message report, the failed-nodes report and the message
// detail, rebuilt from the two logs at every switch to the tab.
#include "console/frmMsg.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

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

// A report list whose columns fit their contents. Its wanted width is that of its fitted columns
// and `spare` more for a last column that takes the rest (the message preview).
class ReportList : public QTreeWidget {
public:
    ReportList(QWidget* parent, const char* name, const QString& tip, const QStringList& headers, int fittedColumns,
               int spare)
        : QTreeWidget(parent), fitted_(static_cast<size_t>(fittedColumns)), spare_(spare)
    {
        named(this, name, tip);
        setHeaderLabels(headers);
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setAllColumnsShowFocus(true);
        setEnabled(false);
    }

    // Makes every fitted column as wide as its header and its widest line; `text(row, column)` gives
    // a line's text. Thousands of lines cost one measure per column: the widest line is found from
    // the widths of its characters, each measured once, and only that line is measured as it is
    // drawn, with its icon and margins.
    template <class Text> void fitColumns(Text text)
    {
        const QFontMetrics metrics = fontMetrics();
        std::array<int, 256> latin{}; // 0: not measured yet
        QHash<char16_t, int> other;
        const auto widthOf = [&](QChar c) {
            const char16_t code = c.unicode();
            int& width = code < 256 ? latin[code] : other[code];
            if (width == 0)
                width = metrics.horizontalAdvance(c) + 1;
            return width - 1;
        };
        const int rows = topLevelItemCount();
        for (int column = 0; column < static_cast<int>(fitted_.size()); ++column) {
            int widest = -1;
            int widestRow = -1;
            for (int row = 0; row < rows; ++row) {
                int width = 0;
                for (const QChar c : text(row, column))
                    width += widthOf(c);
                if (width > widest) {
                    widest = width;
                    widestRow = row;
                }
            }
            int width = header()->sectionSizeHint(column);
            if (widestRow >= 0)
                width = std::max(width, sizeHintForIndex(model()->index(widestRow, column)).width());
            fitted_[column] = width;
            setColumnWidth(column, width);
        }
        updateGeometry();
    }

    // Fits the columns to one line of typical texts, for the width the list asks for before it has
    // lines of its own.
    void fitColumns(const QStringList& typical, const QIcon& icon)
    {
        auto* line = new QTreeWidgetItem(typical);
        line->setIcon(0, icon);
        addTopLevelItem(line);
        fitColumns([&](int, int column) -> const QString& { return typical[column]; });
        delete line;
    }

    QSize sizeHint() const override
    {
        QSize size = QTreeWidget::sizeHint();
        int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width() + spare_;
        for (const int column : fitted_)
            width += column;
        size.setWidth(width);
        return size;
    }

private:
    std::vector<int> fitted_;
    int spare_;
};

} // namespace

QWidget* mainform::buildLogsTab()
{
    images_[1] = QIcon(QStringLiteral(":/images/failednode.xpm"));
    images_[2] = QIcon(QStringLiteral(":/images/group.xpm"));
    images_[3] = QIcon(QStringLiteral(":/images/single.xpm"));
    images_[4] = QIcon(QStringLiteral(":/images/domain.xpm"));

    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabLogs"));

    // Until the logs are read, the columns fit typical lines, so that the window opens wide enough
    // for every column and the start of the message.
    tab4frame1 = named(new QGroupBox(QStringLiteral("Sent Message Logs"), tab), "tab4frame1");
    const int messageWidth = fontMetrics().averageCharWidth() * 36;
    auto* sent = new ReportList(
        tab4frame1, "ListView5", QStringLiteral("Double click a log line to view more detail..."),
        {QString(), QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Sent To"), QStringLiteral("Pass"),
         QStringLiteral("Fail"), QStringLiteral("Total"), QStringLiteral("Message (Preview)")},
        7, messageWidth);
    sent->fitColumns({QStringLiteral("DOMAIN"), QLocale::system().toString(QDate(2026, 12, 28), QLocale::ShortFormat),
                      QStringLiteral("23:59:59"), QStringLiteral("ACCOUNTS-PC-01 (GROUP)"), QStringLiteral("999"),
                      QStringLiteral("999"), QStringLiteral("999")},
                     images_[4]);
    ListView5 = sent;
    connect(ListView5, &QTreeWidget::itemDoubleClicked, this, [this] { ListView5_DblClick(); });
    (new QVBoxLayout(tab4frame1))->addWidget(ListView5);

    tab4frame2 = named(new QGroupBox(QStringLiteral("Previously Failed Nodes"), tab), "tab4frame2");
    auto* failedNodes =
        new ReportList(tab4frame2, "ListView4", QStringLiteral("This list is your nodes that fail to receive messages"),
                       {QStringLiteral("Node"), QStringLiteral("Times Failed")}, 2, 0);
    failedNodes->fitColumns({QStringLiteral("255.255.255.255"), QStringLiteral("99")}, images_[1]);
    ListView4 = failedNodes;
    rptButClearLog = named(new QPushButton(QStringLiteral("Clear Log File"), tab4frame2), "rptButClearLog");
    bindClick(rptButClearLog, [this] { rptButClearLog_Click(); });
    auto* failed = new QVBoxLayout(tab4frame2);
    failed->addWidget(ListView4);
    failed->addWidget(rptButClearLog, 0, Qt::AlignRight);

    // The failed nodes take the width their columns need; the sent messages the rest.
    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(tab4frame1, 1);
    layout->addWidget(tab4frame2, 0);
    return tab;
}

QIcon mainform::ImageList1(int picture) const
{
    return picture >= 1 && picture <= 4 ? images_[picture] : QIcon();
}

void mainform::LoadSentLog()
{
    m1_.GetFreeFileNumber();
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/sent.Log");
    QString error;
    SentLog = readSentLog(path, kMaxSentLogRecords, &error);
    if (!error.isEmpty())
        m1_.ReportUnreadable(QStringLiteral("sent log"), path, error,
                             QStringLiteral("The distributions it holds are not listed."));
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
    static QString SentLogEntry::*const columns[] = {&SentLogEntry::type,   &SentLogEntry::date, &SentLogEntry::time,
                                                     &SentLogEntry::target, &SentLogEntry::pass, &SentLogEntry::fail,
                                                     &SentLogEntry::total};
    static_cast<ReportList*>(ListView5)->fitColumns([&](int line, int column) -> const QString& {
        return SentLog[SentLog.size() - 1 - static_cast<std::size_t>(line)].*columns[column];
    });
    ListView5->setEnabled(true);
}

void mainform::LoadFailNodesLog()
{
    ListView4->clear();
    m1_.GetFreeFileNumber();
    const QString path = m1_.AppPath() + QStringLiteral("/Logs/FailNodes.Log");
    QString error;
    FailLog = readFailedNodes(path, kMaxFailLogLines, &error);
    if (!error.isEmpty())
        m1_.ReportUnreadable(QStringLiteral("failed-nodes log"), path, error,
                             QStringLiteral("The nodes it holds are not listed."));
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
    static_cast<ReportList*>(ListView4)->fitColumns([&](int line, int column) -> const QString& {
        return column == 0 ? order[static_cast<std::size_t>(line)]->name : order[static_cast<std::size_t>(line)]->count;
    });
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
    bool changed = false;
    if (!writeWholeFile(path, QByteArray(), &error, &changed)) {
        m1_.dialogs().msgBox(QStringLiteral("The failed-nodes log ") + path +
                                 QStringLiteral(" could not be emptied (") + error +
                                 (changed ? QStringLiteral("); it is empty now, but a crash may still bring back its "
                                                           "records.")
                                          : QStringLiteral("); it is left as it was.")),
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
        if (!changed)
            return;
    }
    ListView4->clear();
}

} // namespace corvane::forms
