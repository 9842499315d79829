#include "engine/logreaders.h"

#include "engine/textfile.h"

#include <charconv>
#include <cmath>
#include <deque>

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

// Reads one record from where the reader stands; false when the file ends inside it.
bool readRecord(FileLineReader& lines, std::string (&keys)[6], QByteArray& message, std::string& service)
{
    QByteArrayView line;
    // The blank line before "[LOG_BEGIN]"; a record that does not begin with one begins at once.
    if (!lines.next(line) || (line.isEmpty() && !lines.next(line)))
        return false;
    for (std::string& key : keys) {
        if (!lines.next(line))
            return false;
        const QByteArrayView value = valueOf(line);
        key.assign(value.data(), static_cast<size_t>(value.size()));
    }
    if (!lines.next(line)) // "[Message_Start]"
        return false;
    message.clear();
    while (lines.next(line)) {
        if (line == "[Message_End]") {
            if (!lines.next(line) || !lines.next(line)) // "SentViaIP=", then "Service="
                return false;
            const QByteArrayView value = valueOf(line);
            service.assign(value.data(), static_cast<size_t>(value.size()));
            return true;
        }
        message += line;
        message += kCrLf;
    }
    return false;
}

} // namespace

std::vector<SentLogEntry> readSentLog(const QString& path, std::size_t limit)
{
    struct Raw {
        std::string keys[6]; // date, time, type, target, pass, fail
        QByteArray message;
        std::string service;
        qint64 total = 0;
    };
    FileLineReader lines(path);
    std::deque<Raw> newest;
    Raw raw;
    while (limit > 0 && readRecord(lines, raw.keys, raw.message, raw.service)) {
        double pass = 0;
        double fail = 0;
        if (!listable(QByteArrayView(raw.keys[2])) || !numberOf(QByteArrayView(raw.keys[4]), pass) ||
            !numberOf(QByteArrayView(raw.keys[5]), fail))
            continue;
        raw.total = static_cast<qint64>(std::floor(fail)) + static_cast<qint64>(std::floor(pass));
        if (newest.size() == limit)
            newest.pop_front();
        newest.push_back(std::move(raw));
        raw = Raw();
    }

    std::vector<SentLogEntry> entries(newest.size());
    for (std::size_t k = 0; k < newest.size(); ++k) {
        const Raw& r = newest[k];
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

std::vector<FailedNodeEntry> readFailedNodes(const QString& path, int maxLines)
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
    return entries;
}

} // namespace corvane
