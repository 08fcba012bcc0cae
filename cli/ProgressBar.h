#pragma once
// Progress of a transfer (pages or rows) on the console: a bar redrawn in
// place on a terminal, an occasional plain line otherwise (logs and pipes
// would drown in one line per page or row).

#include "platform/TickClock.h"
#include "update/UpdateEvents.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace tvqx::cli {

// "[#######.............]  12/40 pages  30%  0:42 left", with `units` in
// place of "pages"; without an estimate yet, "estimating" takes the place of
// the time.
std::string FormatProgressBar(unsigned done, unsigned total, const char* units, std::optional<uint32_t> msLeft,
                              unsigned width = 30);

struct TransferProgress {
    TransferUnit unit = TransferUnit::Page;
    int done = 0;
    int total = 0;
};

class ProgressReporter {
public:
    // On a terminal the bar is drawn; the clock times the transfer for the
    // estimate of the time left. Plain lines come at most one in
    // `minLineIntervalMs` (the first and the last always).
    ProgressReporter(std::ostream& out, bool terminal, TickClock& clock, unsigned barWidth = 30,
                     uint32_t minLineIntervalMs = 0);

    // `done` of `total` pages or rows have gone out.
    void Update(TransferUnit unit, int done, int total);
    // Everything was taken: a last bar at 100 %, and the line ended.
    void Complete();
    // Ends the bar's line, so that what follows starts on a line of its own.
    void EndLine();

private:
    void Draw(unsigned done, unsigned total);

    std::ostream& m_out;
    bool m_terminal;
    TickClock& m_clock;
    unsigned m_barWidth;
    uint32_t m_minLineIntervalMs;
    uint32_t m_lastLineTick = 0;
    bool m_lineOpen = false;
    size_t m_drawnLength = 0;
    // The transfer being shown: where it last stood, and when and where it
    // was first seen (the estimate counts from there).
    std::optional<TransferProgress> m_last;
    uint32_t m_startTick = 0;
    unsigned m_startDone = 0;
    int m_lastDecile = -1;
};

} // namespace tvqx::cli
