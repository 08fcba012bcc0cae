#include "cli/ProgressBar.h"

#include "cli/ConsoleReport.h"

#include <algorithm>

namespace tvqx::cli {

std::string FormatProgressBar(unsigned done, unsigned total, std::optional<uint32_t> msLeft, unsigned width)
{
    done = std::min(done, total);
    const unsigned filled = total == 0 ? width : static_cast<unsigned>(uint64_t{done} * width / total);
    const unsigned percent = total == 0 ? 100 : static_cast<unsigned>(uint64_t{done} * 100 / total);
    std::string line = "[";
    line.append(filled, '#');
    line.append(width - filled, '.');
    line += "]  " + std::to_string(done) + "/" + std::to_string(total) + " pages  " + std::to_string(percent) + "%  ";
    if (!msLeft) {
        line += "estimating";
    } else {
        // Rounded up: "0:00 left" only when nothing is left.
        const uint32_t seconds = (*msLeft + 999) / 1000;
        const uint32_t sec = seconds % 60;
        line += std::to_string(seconds / 60) + ":" + (sec < 10 ? "0" : "") + std::to_string(sec) + " left";
    }
    return line;
}

ProgressReporter::ProgressReporter(std::ostream& out, bool terminal, TickClock& clock, unsigned barWidth)
    : m_out(out), m_terminal(terminal), m_clock(clock), m_barWidth(barWidth)
{
}

void ProgressReporter::Update(const std::string& progressText)
{
    const auto progress = ParsePageProgress(progressText);
    if (!progress)
        return;
    if (progress->page == 1 && m_lastPage != 1) {
        // A new transfer (or the first): time it from its first page.
        m_startTick = m_clock.GetTickCount();
        m_lastDecile = -1;
    }
    const bool samePage = progress->page == m_lastPage && progress->total == m_lastTotal;
    m_lastPage = progress->page;
    m_lastTotal = progress->total;
    const unsigned done = static_cast<unsigned>(progress->page - 1);
    const unsigned total = static_cast<unsigned>(progress->total);

    if (m_terminal) {
        Draw(done, total);
        return;
    }
    // Plain output: the first and the last page and about every tenth of
    // the way; a resent page is not news.
    const int decile = static_cast<int>(done * 10 / total);
    if (samePage || (progress->page != 1 && progress->page != progress->total && decile == m_lastDecile))
        return;
    m_lastDecile = decile;
    m_out << progressText << "\n" << std::flush;
}

void ProgressReporter::Draw(unsigned done, unsigned total)
{
    std::optional<uint32_t> msLeft;
    if (done > 0) {
        const uint64_t elapsed = m_clock.GetTickCount() - m_startTick;
        msLeft = static_cast<uint32_t>(elapsed * (total - done) / done);
    }
    const std::string line = FormatProgressBar(done, total, msLeft, m_barWidth);
    // Blanks wipe what a longer earlier line left behind.
    const size_t pad = m_drawnLength > line.size() ? m_drawnLength - line.size() : 0;
    m_out << "\r" << line << std::string(pad, ' ') << std::flush;
    m_drawnLength = line.size();
    m_lineOpen = true;
}

void ProgressReporter::Complete()
{
    if (m_terminal && m_lastTotal > 0)
        Draw(static_cast<unsigned>(m_lastTotal), static_cast<unsigned>(m_lastTotal));
    EndLine();
}

void ProgressReporter::EndLine()
{
    if (m_lineOpen)
        m_out << "\n" << std::flush;
    m_lineOpen = false;
    m_drawnLength = 0;
}

} // namespace tvqx::cli
