// Turns the user guide's Markdown source into the PDF that the program opens from its help menu.
// Run by the build: makeguide <source.md> <target.pdf>
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A heading that would stand at the foot of a page, without the first lines of its text below it,
// starts the next page instead. Sections otherwise follow each other on the same page.
void keepHeadingsWithTheirText(QTextDocument& guide)
{
    const qreal pageHeight = guide.pageSize().height();
    QAbstractTextDocumentLayout* layout = guide.documentLayout();
    const auto pageOf = [pageHeight](qreal y) { return static_cast<int>(y / pageHeight); };
    for (QTextBlock heading = guide.begin().next(); heading.isValid(); heading = heading.next()) {
        if (heading.blockFormat().headingLevel() == 0)
            continue;
        // The heading goes with any heading just below it and the first three lines of the text.
        QTextBlock text = heading.next();
        while (text.isValid() && text.blockFormat().headingLevel() > 0)
            text = text.next();
        if (!text.isValid())
            continue;
        guide.pageCount(); // lays the whole guide out again, after the page break set before
        const qreal headingTop = layout->blockBoundingRect(heading).top();
        const qreal textTop = layout->blockBoundingRect(text).top();
        const int lines = std::min(3, text.layout()->lineCount());
        if (lines == 0)
            continue;
        const qreal textBottom = textTop + text.layout()->lineAt(lines - 1).rect().bottom();
        if (pageOf(headingTop) == pageOf(textBottom))
            continue;
        QTextBlockFormat format = heading.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(heading).setBlockFormat(format);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // The build runs without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeguide <source.md> <target.pdf>\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "makeguide: %s: %s\n", argv[1], qPrintable(source.errorString()));
        return 1;
    }
    QTextDocument guide;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(10);
    // Without ligatures, text copied from the guide (a command, a file name) is the text as typed.
    body.setStyleStrategy(QFont::PreferNoShaping);
    guide.setDefaultFont(body);
    guide.setMarkdown(QString::fromUtf8(source.readAll()));
    // Headings in sizes that keep a section's title on one line of the page.
    for (QTextBlock block = guide.begin(); block.isValid(); block = block.next()) {
        static const qreal sizes[] = {0, 17, 13, 11};
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 3)
            continue;
        // The reader sizes headings relative to the body, which would override any size of our own.
        std::vector<std::pair<int, int>> runs;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            runs.emplace_back(it.fragment().position(), it.fragment().length());
        for (const auto& [position, length] : runs) {
            QTextCursor run(&guide);
            run.setPosition(position);
            run.setPosition(position + length, QTextCursor::KeepAnchor);
            QTextCharFormat format = run.charFormat();
            format.clearProperty(QTextFormat::FontSizeAdjustment);
            format.setFontPointSize(sizes[level]);
            run.setCharFormat(format);
        }
    }
    // Tables with ruled cells, across the page: the Markdown reader gives them no lines at all.
    for (QTextFrame* frame : guide.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setBorder(1);
            format.setBorderBrush(Qt::gray);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderCollapse(true);
            format.setCellPadding(3);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
    }

    QSaveFile target(QString::fromLocal8Bit(argv[2]));
    if (!target.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "makeguide: %s: %s\n", argv[2], qPrintable(target.errorString()));
        return 1;
    }
    QPdfWriter pdf(&target);
    pdf.setTitle(QStringLiteral("Corvane Server - User Guide"));
    pdf.setCreator(QStringLiteral("Corvane Server"));
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    pdf.setResolution(300);

    // The guide is laid out on the pages it is printed on, with margins of 2 cm, so that where each
    // heading falls is known before the pages are drawn.
    guide.documentLayout()->setPaintDevice(&pdf);
    // The layout takes the lengths of its formats at the screen's resolution and scales them to the
    // page's.
    const qreal margin = 2 / 2.54 * pdf.resolution();
    QTextFrameFormat page = guide.rootFrame()->frameFormat();
    page.setMargin(2 / 2.54 * QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    guide.rootFrame()->setFrameFormat(page);
    guide.setPageSize(QSizeF(pdf.width(), pdf.height()));
    keepHeadingsWithTheirText(guide);

    // Each page, with its number at the foot.
    QPainter painter(&pdf);
    painter.setFont(guide.defaultFont());
    for (int number = 1; number <= guide.pageCount(); ++number) {
        if (number > 1)
            pdf.newPage();
        const QRectF view(QPointF(0, (number - 1) * pdf.height()), QSizeF(pdf.width(), pdf.height()));
        painter.save();
        painter.translate(-view.topLeft());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        guide.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.drawText(QRectF(margin, pdf.height() - margin, pdf.width() - 2 * margin, margin),
                         Qt::AlignRight | Qt::AlignTop, QString::number(number));
    }
    painter.end();
    if (!target.commit()) {
        std::fprintf(stderr, "makeguide: %s: %s\n", argv[2], qPrintable(target.errorString()));
        return 1;
    }
    return 0;
}
