// The user guide that the build lays out in the program folder: a PDF of several full pages whose text
// holds every section the help links promise, a troubleshooting heading for each icon and PING answer
// the diagnosis window can show, and every line of Corvane.ini.
#include "engine/textfile.h"
#include "tests/support/testprogram.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using corvane::test::outputOf;

namespace {

const QString guide = QStringLiteral(CORVANE_PROGRAM_DIR "/HelpFiles/UserGuide.pdf");

} // namespace

TEST(UserGuide, IsAPdfOfSeveralPagesWithEverySection)
{
    QFile file(guide);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << guide.toStdString();
    EXPECT_TRUE(file.read(5) == "%PDF-");

    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(outputOf(QStringLiteral("pdfinfo"), {guide}));
    ASSERT_TRUE(pages.hasMatch());
    EXPECT_GE(pages.captured(1).toInt(), 8);
    // Sections follow each other: no page but the last is left mostly empty (a full one holds some
    // fifty lines).
    for (int page = 1; page < pages.captured(1).toInt(); ++page) {
        const QString number = QString::number(page);
        const QString onPage =
            outputOf(QStringLiteral("pdftotext"),
                     {QStringLiteral("-f"), number, QStringLiteral("-l"), number, guide, QStringLiteral("-")});
        EXPECT_GE(onPage.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 35) << "page " << page;
    }

    const QString text = outputOf(QStringLiteral("pdftotext"), {guide, QStringLiteral("-")});
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    for (const char* heading : {"Getting started",
                                "Sending a message",
                                "Delivery modes",
                                "Installing the Nuvo client",
                                "Groups",
                                "The Group Management tab",
                                "The group text editor",
                                "The numbered-name generator",
                                "Examples of numbered names",
                                "The hosts file",
                                "Saving /etc/hosts",
                                "Distribution logs",
                                "The message wizard",
                                "Scheduling a distribution",
                                "atd must run",
                                "The unattended command line",
                                "The settings file Corvane.ini",
                                "Troubleshooting",
                                "Reading a failed delivery",
                                "Red icon, PING No",
                                "Blue icon with the Nuvo Client",
                                "Blue icon with the Messenger service",
                                "Red icon, PING Not Applicable"}) {
        const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
            return line == QLatin1String(heading) || line.endsWith(QLatin1String(". ") + QLatin1String(heading));
        });
        EXPECT_TRUE(found) << heading;
    }

    // Table cells wrap over several lines: they are looked for in the text with its blanks joined.
    const QString joined = text.simplified();
    EXPECT_TRUE(joined.contains(QLatin1String("PC-001 ... PC-009, PC-010 ... PC-099, PC-100")));
    const corvane::ReadResult settings = corvane::readTextLines(QStringLiteral(CORVANE_DIST_DIR "/Corvane.ini"));
    ASSERT_EQ(settings.lines.size(), 21);
    for (const QString& line : settings.lines) {
        const QString key = line.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
        EXPECT_TRUE(joined.contains(key)) << key.toStdString();
    }
}
