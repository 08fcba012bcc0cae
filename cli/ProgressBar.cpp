#include "cli/ProgressBar.h"

#include "update/UpdateTexts.h"

#include <algorithm>

namespace tvqx::cli {

namespace {

const char* UnitsOf(TransferUnit unit)
{
    return unit == TransferUnit::Page ? "pages" : "rows";
}

// The window's progress line for the same moment: a page is announced
// before it is sent, a row once it has been written.
std::string ProgressLine(const TransferProgress& p)
{
    return p.unit == TransferUnit::Page ? texts::FormatText(texts::kSendingPage, p.done + 1, p.total)
                                        : texts::FormatText(texts::kSendingRow, p.done, p.total);
}

} // namespace

std::string FormatProgressBar(unsigned done, unsigned total, const char* units, std::optional<uint32_t> msLeft,
                              unsigned width)
{
    done = std::min(done, total);
    const unsigned filled = total == 0 ? width : static_cast<unsigned>(uint64_t{done} * width / total);
    const unsigned percent = total == 0 ? 100 : static_cast<unsigned>(uint64_t{done} * 100 / total);
    std::string line = "[";
    line.append(filled, '#');
    line.append(width - filled, '.');
    line += "]  " + std::to_string(done) + "/" + std::to_string(total) + " " + units + "  " + std::to_string(percent) +
            "%  ";
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

ProgressReporter::ProgressReporter(std::ostream& out, bool terminal, TickClock& clock, unsigned barWidth,
                                   uint32_t minLineIntervalMs)
    : m_out(out), m_terminal(terminal), m_clock(clock), m_barWidth(barWidth), m_minLineIntervalMs(minLineIntervalMs)
{
}

void ProgressReporter::Update(TransferUnit unit, int doneCount, int totalCount)
{
    const TransferProgress progress{unit, doneCount, totalCount};
    if (totalCount <= 0)
        return;
    // A transfer that starts over (or the first one) is timed from its first
    // line; the same line again is a resent page.
    const bool newTransfer =
        !m_last || m_last->unit != unit || m_last->total != totalCount || doneCount < m_last->done;
    const bool repeated = !newTransfer && doneCount == m_last->done;
    const unsigned done = static_cast<unsigned>(doneCount);
    const unsigned total = static_cast<unsigned>(totalCount);
    if (newTransfer) {
        m_startTick = m_clock.GetTickCount();
        m_startDone = done;
        m_lastDecile = -1;
    }
    m_last = progress;

    if (m_terminal) {
        Draw(done, total);
        return;
    }
    // Plain output: the first and the last line and about every tenth of
    // the way; a resent page is not news.
    // The window's last line is the last page announced or the last row sent.
    const bool last = unit == TransferUnit::Page ? doneCount + 1 == totalCount : doneCount == totalCount;
    const int decile = static_cast<int>(done * 10 / total);
    if (repeated || (!newTransfer && !last && decile == m_lastDecile))
        return;
    m_lastDecile = decile;
    const uint32_t now = m_clock.GetTickCount();
    if (!newTransfer && !last && now - m_lastLineTick < m_minLineIntervalMs)
        return;
    m_lastLineTick = now;
    m_out << ProgressLine(progress) << "\n" << std::flush;
}

void ProgressReporter::Draw(unsigned done, unsigned total)
{
    std::optional<uint32_t> msLeft;
    if (done == total) {
        msLeft = 0;
    } else if (done > m_startDone) {
        const uint64_t elapsed = static_cast<uint32_t>(m_clock.GetTickCount() - m_startTick);
        msLeft = static_cast<uint32_t>(elapsed * (total - done) / (done - m_startDone));
    }
    const std::string line = FormatProgressBar(done, total, UnitsOf(m_last->unit), msLeft, m_barWidth);
    // Blanks wipe what a longer earlier line left behind.
    const size_t pad = m_drawnLength > line.size() ? m_drawnLength - line.size() : 0;
    m_out << "\r" << line << std::string(pad, ' ') << std::flush;
    m_drawnLength = line.size();
    m_lineOpen = true;
}

void ProgressReporter::Complete()
{
    if (m_terminal && m_last)
        Draw(static_cast<unsigned>(m_last->total), static_cast<unsigned>(m_last->total));
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
