#include "engine/logreaders.h"

#include "engine/textfile.h"

#include <charconv>
#include <cmath>

namespace corvane {

namespace {

// The text between the line's first mark and the next one (or the end of the line): a key line's
// value, or a failed-nodes line's count.
QByteArrayView valueOf(QByteArrayView line, char mark = '=')
{
    const qsizetype first = line.indexOf(mark);
    if (first < 0)
        return {};
    const QByteArrayView rest = line.sliced(first + 1);
    const qsizetype second = rest.indexOf(mark);
    return second < 0 ? rest : rest.first(second);
}

// A count as a number; false for a text that is none (or too big to add up).
bool numberOf(QByteArrayView text, double& value)
{
    text = text.trimmed();
    if (text.startsWith('+'))
        text = text.sliced(1);
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.isEmpty() && error == std::errc() && stop == end && std::isfinite(value) && std::fabs(value) < 1e15;
}

bool listable(QByteArrayView type)
{
    return type == "SINGLE" || type == "GROUP" || type == "DOMAIN";
}

struct RawRecord {
    std::string keys[6]; // date, time, type, target, pass, fail
    QByteArray message;
    std::string service;
    qint64 total = 0;
};

// Finds the records of the sent log line by line. Whatever damage lies before a record (an empty
// line, a run of NULs, a record cut short, even in its message) hides nothing after it: a record
// begins at every "[LOG_BEGIN]" line followed by a "Date=" line. A message ends only at a
// "[Message_End]" line followed by the record's "SentViaIP=" and "Service=" lines, so a message
// may itself hold a line "[Message_End]".
class RecordFinder {
public:
    // Where the record now being read goes; changed only once a record has ended.
    void fillInto(RawRecord& record) { record_ = &record; }

    // Takes the next line; true when it ends a whole record.
    bool take(QByteArrayView line)
    {
        if (beginSeen_) {
            beginSeen_ = false;
            if (line.startsWith("Date=")) {
                begin(line);
                return false;
            }
            // Not a record's beginning: the line is the record's own. Only a "Service=" line ends a
            // record, so this one cannot.
            step(kBegin);
        }
        if (line == kBegin) {
            beginSeen_ = true;
            return false;
        }
        return step(line);
    }

private:
    static constexpr QByteArrayView kBegin = "[LOG_BEGIN]";
    static constexpr QByteArrayView kEnd = "[Message_End]";
    enum class Stage { Outside, Keys, MessageStart, Message, EndSeen, ViaSeen };

    void begin(QByteArrayView dateLine)
    {
        assign(record_->keys[0], valueOf(dateLine));
        record_->message.truncate(0); // keeps its room for the next message
        key_ = 1;
        stage_ = Stage::Keys;
    }

    static void assign(std::string& to, QByteArrayView value)
    {
        to.assign(value.data(), static_cast<size_t>(value.size()));
    }

    bool step(QByteArrayView line)
    {
        switch (stage_) {
        case Stage::Outside: return false;
        case Stage::Keys: // the keys play no part: the position decides
            assign(record_->keys[key_], valueOf(line));
            if (++key_ == 6)
                stage_ = Stage::MessageStart;
            return false;
        case Stage::MessageStart: // "[Message_Start]"
            stage_ = Stage::Message;
            return false;
        case Stage::EndSeen:
            if (line.startsWith("SentViaIP=")) {
                assign(via_, line);
                stage_ = Stage::ViaSeen;
                return false;
            }
            // The "[Message_End]" was a line of the message.
            appendLine(kEnd);
            stage_ = Stage::Message;
            break;
        case Stage::ViaSeen:
            if (line.startsWith("Service=")) {
                assign(record_->service, valueOf(line));
                stage_ = Stage::Outside;
                return true;
            }
            appendLine(kEnd);
            appendLine(QByteArrayView(via_));
            stage_ = Stage::Message;
            break;
        case Stage::Message: break;
        }
        if (line == kEnd)
            stage_ = Stage::EndSeen;
        else
            appendLine(line);
        return false;
    }

    void appendLine(QByteArrayView line)
    {
        record_->message += line;
        record_->message += kCrLf;
    }

    RawRecord* record_ = nullptr;
    Stage stage_ = Stage::Outside;
    int key_ = 0;
    bool beginSeen_ = false;
    std::string via_; // the "SentViaIP=" line, until the next line shows whether the message ended
};

} // namespace

std::vector<SentLogEntry> readSentLog(const QString& path, std::size_t limit, QString* error)
{
    if (limit == 0)
        return {};
    FileLineReader lines(path);
    // The newest records go round `limit` + 1 slots, one of them the record being read, so that a
    // log of any length is read without a new allocation per record.
    std::vector<RawRecord> ring(1);
    std::size_t next = 0;
    std::size_t listed = 0;
    RecordFinder finder;
    finder.fillInto(ring[next]);
    QByteArrayView line;
    while (lines.next(line)) {
        if (!finder.take(line))
            continue;
        RawRecord& raw = ring[next];
        double pass = 0;
        double fail = 0;
        if (!listable(QByteArrayView(raw.keys[2])) || !numberOf(QByteArrayView(raw.keys[4]), pass) ||
            !numberOf(QByteArrayView(raw.keys[5]), fail))
            continue; // its slot takes the next record
        raw.total = static_cast<qint64>(std::floor(fail)) + static_cast<qint64>(std::floor(pass));
        ++listed;
        next = (next + 1) % (limit + 1);
        if (next == ring.size())
            ring.emplace_back();
        finder.fillInto(ring[next]);
    }
    if (error)
        *error = lines.error();

    const std::size_t kept = std::min(listed, limit);
    std::vector<SentLogEntry> entries(kept);
    for (std::size_t k = 0; k < kept; ++k) {
        const RawRecord& r = ring[(next + limit + 1 - kept + k) % (limit + 1)];
        SentLogEntry& entry = entries[k];
        QString* fields[] = {&entry.date, &entry.time, &entry.type, &entry.target, &entry.pass, &entry.fail};
        for (int i = 0; i < 6; ++i)
            *fields[i] = fromAnsi(r.keys[i]);
        entry.message = fromAnsi(r.message);
        entry.total = QString::number(r.total);
        entry.service = fromAnsi(r.service);
    }
    return entries;
}

std::vector<FailedNodeEntry> readFailedNodes(const QString& path, int maxLines, QString* error)
{
    FileLineReader lines(path);
    std::vector<FailedNodeEntry> entries;
    QByteArrayView line;
    for (int n = 0; n < maxLines && lines.next(line); ++n) {
        if (line == ":")
            break;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 && !line.isEmpty())
            continue;
        FailedNodeEntry entry;
        if (colon >= 0) {
            const QByteArrayView count = valueOf(line, ':');
            entry.name = fromAnsi(line.first(colon));
            entry.count = fromAnsi(count);
            double times = 0;
            if (numberOf(count, times) && times >= 1 && times == std::floor(times))
                entry.times = static_cast<qint64>(times);
        }
        entries.push_back(std::move(entry));
    }
    if (error)
        *error = lines.error();
    return entries;
}

} // namespace corvane
