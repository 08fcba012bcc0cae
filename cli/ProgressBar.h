#pragma once
// Progress of the page transfer on the console: a bar redrawn in place on a
// terminal, an occasional plain line otherwise (logs and pipes would drown
// in one line per page).

#include "platform/TickClock.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace tvqx::cli {

// "[#######.............]  12/40 pages  30%  0:42 left"; without an
// estimate yet, "estimating" takes the place of the time.
std::string FormatProgressBar(unsigned done, unsigned total, std::optional<uint32_t> msLeft, unsigned width = 30);

class ProgressReporter {
public:
    // On a terminal the bar is drawn; the clock times the pages for the
    // estimate of the time left.
    ProgressReporter(std::ostream& out, bool terminal, TickClock& clock, unsigned barWidth = 30);

    // The progress status line changed.
    void Update(const std::string& progressText);
    // Every page was taken: a last bar at 100 %, and the line ended.
    void Complete();
    // Ends the bar's line, so that what follows starts on a line of its own.
    void EndLine();

private:
    void Draw(unsigned done, unsigned total);

    std::ostream& m_out;
    bool m_terminal;
    TickClock& m_clock;
    unsigned m_barWidth;
    bool m_lineOpen = false;
    size_t m_drawnLength = 0;
    uint32_t m_startTick = 0;
    int m_lastPage = 0;
    int m_lastTotal = 0;
    int m_lastDecile = -1;
};

} // namespace tvqx::cli
