#pragma once
// Readers of the sent log and the failed-nodes log for the reports of the logs tab. Both logs are
// read in one pass over their bytes, however big they have grown; what the program never writes (a
// record cut short, a count that is no number, a line without ":") is left out, and what comes
// before and after it still shows.
#include <QString>
#include <vector>

namespace corvane {

// One distribution as its sent-log record tells it.
struct SentLogEntry {
    QString date;
    QString time;
    QString type; // "SINGLE", "GROUP" or "DOMAIN"
    QString target;
    QString pass;
    QString fail;
    QString message; // every line followed by CR LF
    QString total;   // the whole-number parts of pass and fail, added
    QString service;
};

// The newest `limit` records of the sent log, oldest first. A record of any other type is left out
// too: the report has no line for it. A missing file holds no record; for a file that is there but
// cannot be read (to its end), `error` says why.
std::vector<SentLogEntry> readSentLog(const QString& path, std::size_t limit, QString* error = nullptr);

// One line of the failed-nodes log.
struct FailedNodeEntry {
    QString name;
    QString count;    // as the file holds it
    qint64 times = 0; // the count when it is a whole number of at least 1, else 0
};

// The failed-nodes log's lines up to a line that is exactly ":" or the end of the file, at most
// `maxLines` of them; a line without ":" takes its place among them but is not returned. `error` as
// for the sent log.
std::vector<FailedNodeEntry> readFailedNodes(const QString& path, int maxLines, QString* error = nullptr);

} // namespace corvane
