#pragma once
// Timing of window actions for the benchmarks: the best and the worst of several rounds.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>

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

} // namespace corvane::bench
