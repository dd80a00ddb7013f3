// SPDX-License-Identifier: GPL-3.0-or-later
// The progress line of a long operation: one line on stderr, redrawn in place
// (label, bar, percentage, KB/s, time left), and nothing at all when stderr is
// not a terminal. It also carries the stop request of Ctrl+C to the device:
// the device's progress callback is a plain function, so the one display in
// use is reached through a static pointer while an operation runs.
#pragma once
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "device/RioDevice.h"

class CCliProgress {
public:
    // Milliseconds from any fixed start; tests give a clock of their own.
    typedef std::function<int64_t()> Clock;

    CCliProgress(std::ostream& err, bool terminal, Clock clock = Clock());
    ~CCliProgress();
    CCliProgress(const CCliProgress&) = delete;
    CCliProgress& operator=(const CCliProgress&) = delete;

    // Starts an operation: from now on Callback() reports to this display.
    void Begin(const std::string& label);
    // Before block done of total: draws, and answers 0 when a stop was requested.
    int Update(int done, int total);
    // Ends the operation; a completed one is drawn at 100 % first.
    void End(bool completed);

    // The block at which the last operation was told to stop, or -1.
    int StoppedAt() const { return m_stoppedAt; }

    // The callback to hand to the device session.
    static ProgressCallback Callback() { return &OnProgress; }

    // Called before each block with (done, total) before anything else; tests
    // use it to interrupt at a chosen block.
    static void SetBlockHook(std::function<void(int, int)> hook);

    // The line for a state, without the carriage return (exposed for tests).
    std::string Line(int done, int total, int64_t elapsedMs) const;

private:
    static int OnProgress(int done, int total);
    void Draw(const std::string& line);

    std::ostream& m_err;
    bool m_terminal;
    Clock m_clock;
    std::string m_label;
    size_t m_labelColumns = 0;  // characters of m_label
    int64_t m_startMs = 0;
    int64_t m_lastDrawMs = -1;
    int m_total = 0;
    int m_stoppedAt = -1;
    size_t m_drawnWidth = 0;
};

// Whether stderr is a terminal (a console window on Windows).
bool StderrIsTerminal();
