#pragma once
// Measures for the benchmarks: the timing of window actions (the best and the worst of several
// rounds) and the resident memory of the process.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace corvane::bench {

struct Times {
    double best = 1e9;
    double worst = 0;
    void add(double ms)
    {
        best = std::min(best, ms);
        worst = std::max(worst, ms);
    }
};

// Milliseconds the action takes, with the window's pending events (its repaint) run at its end.
template <class Action> double timed(Action action)
{
    QElapsedTimer clock;
    clock.start();
    action();
    QApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Resident memory of this process, now ("VmRSS:") or at its peak ("VmHWM:"), in MB; -1 when unknown.
inline double statusMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key))).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

} // namespace corvane::bench
