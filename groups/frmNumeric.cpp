#include "groups/frmNumeric.h"

#include "assistants/frmSchedule.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "groups/groupfiles.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane::forms {

namespace {
const QString kErrorInput = QStringLiteral("Corvane - Error Input");
const QString kTooMany = QStringLiteral("Corvane - Too Many Nodes");
const QString kNonNumeric = QStringLiteral("You Cannot Enter Non-Numeric characters into the numeric field");

// The handlers of one section's controls: its two options, its start box and its end box.
struct SectionHandlers {
    void (frmNumeric::*text)();
    void (frmNumeric::*numeric)();
    void (frmNumeric::*start)();
    void (frmNumeric::*end)();
};
const SectionHandlers kHandlers[] = {
    {&frmNumeric::opt1Text_Click, &frmNumeric::opt1Numeric_Click, &frmNumeric::txt1Text_Change,
     &frmNumeric::Endtxt1Text_Change},
    {&frmNumeric::opt2Text_Click, &frmNumeric::opt2Numeric_Click, &frmNumeric::txt2Text_Change,
     &frmNumeric::Endtxt2Text_Change},
    {&frmNumeric::opt3Text_Click, &frmNumeric::opt3Numeric_Click, &frmNumeric::txt3Text_Change,
     &frmNumeric::Endtxt3Text_Change},
};
} // namespace

frmNumeric::frmNumeric(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmNumeric"));
    setWindowTitle(QStringLiteral("Corvane - Advanced Numeric Node Creation"));

    Frame4 = named(new QGroupBox(QStringLiteral("Input Data:"), this), "Frame4");
    lblStart = named(new QLabel(QStringLiteral("Start:"), Frame4), "lblStart");
    lblEnd = named(new QLabel(QStringLiteral("End:"), Frame4), "lblEnd");
    auto* input = new QGridLayout(Frame4);
    input->addWidget(lblStart, 2, 0);
    input->addWidget(lblEnd, 3, 0);
    const auto makeSection = [this, input](int number, QGroupBox*& frame, QRadioButton*& text, QRadioButton*& numeric,
                                           QLineEdit*& start, QLineEdit*& end) {
        const QByteArray n = QByteArray::number(number);
        frame = named(new QGroupBox(Frame4), ("Frame" + n).constData());
        text = named(new QRadioButton(QStringLiteral("Text"), frame), ("opt" + n + "Text").constData());
        numeric = named(new QRadioButton(QStringLiteral("Numeric"), frame), ("opt" + n + "Numeric").constData());
        start = named(new QLineEdit(frame), ("txt" + n + "Text").constData());
        end = named(new QLineEdit(frame), ("Endtxt" + n + "Text").constData());
        text->setChecked(true);
        end->hide();
        const SectionHandlers h = kHandlers[number - 1];
        bindOptionClick(text, [this, h] { (this->*h.text)(); });
        bindOptionClick(numeric, [this, h] { (this->*h.numeric)(); });
        connect(start, &QLineEdit::textChanged, this, [this, h] { (this->*h.start)(); });
        connect(end, &QLineEdit::textChanged, this, [this, h] { (this->*h.end)(); });
        auto* layout = new QVBoxLayout(frame);
        for (QWidget* control : std::initializer_list<QWidget*>{text, numeric, start, end})
            layout->addWidget(control);
        input->addWidget(frame, 0, 2 * number - 1, 4, 1);
    };
    makeSection(1, Frame1, opt1Text, opt1Numeric, txt1Text, Endtxt1Text);
    makeSection(2, Frame2, opt2Text, opt2Numeric, txt2Text, Endtxt2Text);
    makeSection(3, Frame3, opt3Text, opt3Numeric, txt3Text, Endtxt3Text);
    Label1 = named(new QLabel(QStringLiteral("+"), Frame4), "Label1");
    Label2 = named(new QLabel(QStringLiteral("+"), Frame4), "Label2");
    input->addWidget(Label1, 2, 2);
    input->addWidget(Label2, 2, 4);

    Label3 = named(new QLabel(QStringLiteral("="), this), "Label3");
    Frame5 = named(new QGroupBox(QStringLiteral("Results:"), this), "Frame5");
    lblstartNode = named(new QLabel(Frame5), "lblstartNode");
    Label5 = named(new QLabel(QStringLiteral("To"), Frame5), "Label5");
    lblEndNode = named(new QLabel(Frame5), "lblEndNode");
    Label6 = named(new QLabel(QStringLiteral("Nodes Created:"), Frame5), "Label6");
    Label4 = named(new QLabel(QStringLiteral("="), Frame5), "Label4");
    lblNodes = named(new QLabel(QStringLiteral("0"), Frame5), "lblNodes");
    auto* results = new QGridLayout(Frame5);
    results->addWidget(lblstartNode, 0, 0);
    results->addWidget(Label5, 0, 1);
    results->addWidget(lblEndNode, 0, 2);
    results->addWidget(Label6, 1, 0);
    results->addWidget(Label4, 1, 1);
    results->addWidget(lblNodes, 1, 2);

    Frame6 = named(new QGroupBox(QStringLiteral("Tip:"), this), "Frame6");
    Label7 = named(new ClickLabel(QStringLiteral("Click here to Read the Help files for advanced examples of this "
                                                 "function."),
                                  Frame6),
                   "Label7");
    Label7->setWordWrap(true);
    Label7->onClick([this] { Label7_Click(); });
    (new QVBoxLayout(Frame6))->addWidget(Label7);

    butCalculate = named(new QPushButton(QStringLiteral("Calculate Nodes"), this), "butCalculate",
                         QStringLiteral("Press to calculate how many nodes you would create with the above sum"));
    butSaveTo = named(new QPushButton(QStringLiteral("Save to file..."), this), "butSaveTo",
                      QStringLiteral("Click to save your created nodes to a file"));
    connect(butCalculate, &QPushButton::clicked, this, [this] { butCalculate_Click(); });
    connect(butSaveTo, &QPushButton::clicked, this, [this] { butSaveTo_Click(); });
    butCalculate->setEnabled(false);
    butSaveTo->setEnabled(false);

    Picture1 = named(new QLabel(this), "Picture1");
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Picture1);
    bottom->addWidget(Frame6, 1);
    bottom->addWidget(butCalculate);
    bottom->addWidget(butSaveTo);
    auto* middle = new QHBoxLayout;
    middle->addWidget(Label3);
    middle->addWidget(Frame5, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame4);
    layout->addLayout(middle);
    layout->addLayout(bottom);
}

void frmNumeric::Form_Load()
{
    m1_.NumericChosen = 0;
}

void frmNumeric::Form_Unload()
{
    program_.mainform().show();
}

void frmNumeric::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
    program_.unloadFrmNumeric();
}

frmNumeric::Section frmNumeric::section(int number) const
{
    switch (number) {
    case 1: return {opt1Text, opt1Numeric, txt1Text, Endtxt1Text};
    case 2: return {opt2Text, opt2Numeric, txt2Text, Endtxt2Text};
    default: return {opt3Text, opt3Numeric, txt3Text, Endtxt3Text};
    }
}

void frmNumeric::opt1Numeric_Click()
{
    NumericClick(1);
}
void frmNumeric::opt2Numeric_Click()
{
    NumericClick(2);
}
void frmNumeric::opt3Numeric_Click()
{
    NumericClick(3);
}
void frmNumeric::opt1Text_Click()
{
    TextClick(1);
}
void frmNumeric::opt2Text_Click()
{
    TextClick(2);
}
void frmNumeric::opt3Text_Click()
{
    TextClick(3);
}
void frmNumeric::txt1Text_Change()
{
    StartChange(1);
}
void frmNumeric::txt2Text_Change()
{
    StartChange(2);
}
void frmNumeric::txt3Text_Change()
{
    StartChange(3);
}
void frmNumeric::Endtxt1Text_Change()
{
    EnsureNumeric(Endtxt1Text);
}
void frmNumeric::Endtxt2Text_Change()
{
    EnsureNumeric(Endtxt2Text);
}
void frmNumeric::Endtxt3Text_Change()
{
    EnsureNumeric(Endtxt3Text);
}

void frmNumeric::NumericClick(int number)
{
    const Section s = section(number);
    s.start->setText(QStringLiteral("0"));
    s.end->setText(QStringLiteral("0"));
    if (m1_.NumericChosen == 1) {
        // Only one section counts: this one goes back to Text and the other stays Numeric.
        selectOption(s.text);
        m1_.NumericChosen = 1;
        m1_.dialogs().msgBox(QStringLiteral("You can only select one Numeric Field."), MsgButtons::Ok, MsgIcon::None,
                             QStringLiteral("Corvane - Information"));
        ResetNumericForm();
        return;
    }
    s.end->show();
    m1_.NumericChosen = 1;
    butCalculate->setEnabled(true);
}

// A Text section's box holds a text, not a number: only a Numeric section's start box is checked.
void frmNumeric::StartChange(int number)
{
    const Section s = section(number);
    if (s.numeric->isChecked())
        EnsureNumeric(s.start);
}

void frmNumeric::TextClick(int number)
{
    section(number).end->hide();
    m1_.NumericChosen = 0;
}

void frmNumeric::ClearResult()
{
    butSaveTo->setEnabled(false);
    lblNodes->setText(QStringLiteral("0"));
    lblstartNode->clear();
    lblEndNode->clear();
}

void frmNumeric::ResetNumericForm()
{
    for (int number = 1; number <= 3; ++number) {
        section(number).start->clear();
        section(number).end->clear();
    }
    butCalculate->setEnabled(false);
    ClearResult();
}

std::optional<std::int32_t> frmNumeric::NumberIn(const QString& text)
{
    const qsizetype first = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == first)
        return std::nullopt;
    for (qsizetype i = first; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<std::int32_t>(value) : std::nullopt;
}

void frmNumeric::EnsureNumeric(QLineEdit* box)
{
    ClearResult();
    const QString text = box->text();
    // An empty box, or a sign waiting for its digits, is a number still being typed.
    if (text.isEmpty() || text == QLatin1String("-") || NumberIn(text))
        return;
    m1_.dialogs().msgBox(kNonNumeric, MsgButtons::Ok, MsgIcon::None, kErrorInput);
    box->setText(QStringLiteral("0"));
}

QString frmNumeric::Digits(std::int64_t number, const QString& start, const QString& end)
{
    if (start.size() != end.size() || start.size() < 2)
        return QString::number(number);
    const bool negative = number < 0;
    QString digits = QString::number(negative ? -number : number);
    const qsizetype width = end.size() - (negative ? 1 : 0);
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), QLatin1Char('0')));
    return negative ? QLatin1Char('-') + digits : digits;
}

bool frmNumeric::HasIllegalNodeChars(const QString& name)
{
    return !GroupGeneral::ForbiddenCharIn(name).isNull();
}

bool frmNumeric::FileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

void frmNumeric::RefuseCalculation(const QString& text, const QString& title, MsgIcon icon)
{
    m1_.NodeNames.clear();
    ClearResult();
    m1_.dialogs().msgBox(text, MsgButtons::Ok, icon, title);
}

void frmNumeric::butCalculate_Click()
{
    m1_.NodeNames.clear();
    int counting = 0;
    for (int number = 3; number >= 1; --number) {
        if (section(number).numeric->isChecked())
            counting = number;
    }
    if (m1_.NumericChosen == 0 || counting == 0) {
        m1_.dialogs().msgBox(QStringLiteral("You must chose at least one numeric section."));
        ResetNumericForm();
        return;
    }
    const Section s = section(counting);
    const QString startText = s.start->text();
    const QString endText = s.end->text();
    const std::optional<std::int32_t> start = NumberIn(startText);
    const std::optional<std::int32_t> end = NumberIn(endText);
    if (!start || !end) {
        RefuseCalculation(kNonNumeric, kErrorInput, MsgIcon::None);
        return;
    }
    std::int32_t* const starts[] = {&m1_.RangeStart1, &m1_.RangeStart2, &m1_.RangeStart3};
    std::int32_t* const ends[] = {&m1_.RangeEnd1, &m1_.RangeEnd2, &m1_.RangeEnd3};
    *starts[counting - 1] = *start;
    *ends[counting - 1] = *end;
    if (*end < *start) {
        m1_.dialogs().msgBox(
            QStringLiteral("Your numbers are decreasing.  Please change so numeric values go from small to big."),
            MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane - Error in input"));
        ResetNumericForm();
        return;
    }
    // Every number gives one name, so a range too long is refused before any name is built.
    const std::int64_t count = std::int64_t(*end) - *start + 1;
    if (count > m1_.MaxNodesPerGroup) {
        RefuseCalculation(QStringLiteral("This creates more then the max amount of nodes allowed per group (") +
                              QString::number(m1_.MaxNodesPerGroup) + QStringLiteral(").  Please use lower figures."),
                          kTooMany);
        return;
    }

    QString before;
    QString after;
    for (int number = 1; number <= 3; ++number) {
        if (number != counting)
            (number < counting ? before : after) += section(number).start->text();
    }
    m1_.NodeNames.reserve(count);
    for (std::int64_t value = *start; value <= *end; ++value)
        m1_.NodeNames << before + Digits(value, startText, endText) + after;

    const QString first = upperName(m1_.NodeNames.first());
    const QString last = upperName(m1_.NodeNames.last());
    for (const QString& name : {first, last}) {
        if (GroupGeneral::IsNodeNameTooLong(name)) {
            RefuseCalculation(QStringLiteral("Your node data [") + name +
                                  QStringLiteral("] contains more then 14 Characters.  This calculation cannot be "
                                                 "used as the nodes contain more characters then are allowed."),
                              kErrorInput);
            return;
        }
    }
    // Every name shares the same texts and digits add no forbidden character, so one name tells.
    if (HasIllegalNodeChars(first)) {
        RefuseCalculation(QStringLiteral("Your node date contains illegal characters:  '/\\[]:;|<>+=,?* (or spaces!)"),
                          QStringLiteral("Corvane - Bad Input!"));
        return;
    }
    lblstartNode->setText(first);
    lblEndNode->setText(last);
    lblNodes->setText(QString::number(count));
    butSaveTo->setEnabled(true);
}

QString frmNumeric::GroupFilePath(const QString& chosen) const
{
    // Only the file's own name is put in capitals: the folders of the path keep theirs, and the name
    // ends in ".mit" in small letters, as every group file does and every list of groups looks for.
    const QFileInfo info(chosen);
    QString name = info.fileName();
    const QLatin1String ending(".mit");
    if (name.endsWith(ending, Qt::CaseInsensitive))
        name.chop(ending.size());
    name = upperName(name) + ending;
    const QString folder = info.path();
    // On disk the group may be spelt in small letters: it is the same group, and it is merged into.
    const QString existing = frmSchedule::FindFileNoCase(folder, name);
    return folder + QLatin1Char('/') + (existing.isEmpty() ? name : existing);
}

bool frmNumeric::WriteNames(const QString& path)
{
    const auto failure = [this, &path](const QString& problem, bool changed = false) {
        m1_.dialogs().msgBox(QStringLiteral("The group file ") + QDir::toNativeSeparators(path) + problem +
                                 (changed ? QStringLiteral("  It holds the names, but a crash may still bring back "
                                                           "what it held before.")
                                          : QStringLiteral("  Nothing was saved.")),
                             MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
    };
    if (FileExists(path)) {
        m1_.GetFreeFileNumber();
        const ReadResult read = readTextLines(path);
        if (!read.ok) {
            failure(QStringLiteral(" could not be read (") + read.error + QStringLiteral(")."));
            return false;
        }
        const qsizetype total = read.lines.size() + m1_.NodeNames.size();
        if (total > m1_.MaxNodesPerGroup) {
            m1_.dialogs().msgBox(
                QStringLiteral("The group file ") + QFileInfo(path).fileName() + QStringLiteral(" already holds [") +
                    QString::number(read.lines.size()) + QStringLiteral("] Nodes; with the [") +
                    QString::number(m1_.NodeNames.size()) + QStringLiteral("] Nodes created it would hold [") +
                    QString::number(total) + QStringLiteral("].  You are only allowed [") +
                    QString::number(m1_.MaxNodesPerGroup) +
                    QStringLiteral("] Nodes per group file.  Please save them into another group file."),
                MsgButtons::Ok, MsgIcon::Critical, kTooMany);
            return false;
        }
        m1_.GroupMergeLines = read.lines;
    }
    m1_.GroupMergeLines += m1_.NodeNames;
    for (QString& line : m1_.GroupMergeLines)
        line = upperName(line);
    QString error;
    bool changed = false;
    m1_.GetFreeFileNumber();
    if (!writeWholeFile(path, crlfLines(m1_.GroupMergeLines), &error, &changed)) {
        failure(QStringLiteral(" could not be written (") + error + QStringLiteral(")."), changed);
        return false;
    }
    return true;
}

void frmNumeric::butSaveTo_Click()
{
    m1_.GroupMergeLines.clear();
    const QString chosen = m1_.dialogs().saveFileName(QStringLiteral("Save Corvane Group File..."), m1_.GroupsPath,
                                                      QStringLiteral("Group Files (*.mit)"));
    if (chosen.isEmpty())
        return;
    const QString path = GroupFilePath(chosen);
    if (!WriteNames(path))
        return;
    // The group tab is closed as its own Close does it, so that every list shows the group.
    program_.mainform().tab2butClose_Click();
    m1_.dialogs().msgBox(QStringLiteral("Your Nodes created were successfully saved into the Group."), MsgButtons::Ok,
                         MsgIcon::None, QStringLiteral("Corvane - Information"));
}

void frmNumeric::Label7_Click()
{
    m1_.OpenUserGuide();
}

} // namespace corvane::forms
