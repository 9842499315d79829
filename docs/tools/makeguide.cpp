// Turns the user guide's Markdown source into the PDF that the program opens from its help menu.
// Run by the build: makeguide <source.md> <target.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstdio>
#include <vector>

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
        // Each chapter starts a page.
        if (level == 1 && block != guide.begin()) {
            QTextBlockFormat chapter = block.blockFormat();
            chapter.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(chapter);
        }
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
    // Printing gives every page margins of 2 cm and a page number.
    guide.print(&pdf);
    if (!target.commit()) {
        std::fprintf(stderr, "makeguide: %s: %s\n", argv[2], qPrintable(target.errorString()));
        return 1;
    }
    return 0;
}
