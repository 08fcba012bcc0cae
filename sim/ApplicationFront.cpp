#include "sim/ApplicationFront.h"

// The boot loader behind the application takes the rows.
#include "sim/RowBootLoader.h"

#include <algorithm>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr size_t kCommandLength = sizeof(kApplicationVersionRequest) - 1;

} // namespace

ApplicationFront::ApplicationFront(SimDevice& inner, ApplicationOptions options)
    : m_inner(inner),
      m_options(std::move(options)),
      m_line(kApplicationBaud, m_options.noiseAt),
      m_commandWindow(kCommandLength)
{
}

ApplicationFront::Stage ApplicationFront::StageAt(uint64_t nowMs) const
{
    if (!m_powered)
        return Stage::Off;
    if (!m_handOverMs)
        return Stage::Application;
    return nowMs < *m_handOverMs ? Stage::HandingOver : Stage::BootLoader;
}

bool ApplicationFront::DsrAt(uint64_t nowMs) const
{
    const Stage stage = StageAt(nowMs);
    return stage == Stage::Application || stage == Stage::HandingOver;
}

void ApplicationFront::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool on = dtr && rts;
    See(nowMs);
    if (m_line.SetPower(on, nowMs)) {
        m_powered = on;
        m_commandWindow.Clear();
        m_handOverMs.reset();
        // A unit that starts in its boot loader has handed over at
        // power-up: nothing to tell.
        if (on && m_options.startsInBootLoader)
            m_handOverMs = nowMs;
        m_toldHandOver = m_handOverMs.has_value();
    }
    // The boot loader is powered with the unit; it only gets the line once
    // the application hands over.
    m_inner.SetPower(dtr, rts, nowMs);
}

void ApplicationFront::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    See(nowMs);
    m_line.SetLineSpeed(baud, nowMs);
    m_inner.SetLineSpeed(baud, nowMs);
}

void ApplicationFront::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    See(nowMs);
    for (size_t i = 0; i < count; ++i) {
        const bool understood = m_line.Hear(data[i], nowMs);
        // While the unit hands over, neither the application nor the boot
        // loader is listening.
        const Stage stage = StageAt(nowMs);
        if (stage == Stage::BootLoader)
            m_inner.Receive(data + i, 1, nowMs);
        else if (understood && stage == Stage::Application)
            HandleByte(data[i], nowMs);
    }
}

void ApplicationFront::HandleByte(uint8_t byte, uint64_t nowMs)
{
    m_commandWindow.Push(byte);
    if (m_commandWindow.EndsWith(kApplicationVersionRequest)) {
        m_commandWindow.Clear();
        m_versionRequests.push_back(nowMs);
        if (m_options.ignoreVersionRequest)
            return Tell(nowMs, "\"<V\" received: no answer (--no-app-answer)");
        const std::string text = m_options.answerText.value_or(kApplicationAnswer);
        m_line.Answer({text.begin(), text.end()}, nowMs + m_options.answerDelayMs);
        Tell(nowMs, "\"<V\" received: answering " + ShowText(text));
    } else if (m_commandWindow.EndsWith(kApplicationHandOverRequest)) {
        m_commandWindow.Clear();
        m_handOverRequests.push_back(nowMs);
        if (m_options.dsrNeverDrops)
            return Tell(nowMs, "\"<W\" received: ignored, DSR stays up (--dsr-never-drops)");
        m_handOverMs = nowMs + m_options.handOverDelayMs;
        Tell(nowMs, "\"<W\" received: DSR drops in " + std::to_string(m_options.handOverDelayMs)
                        + " ms, then the boot loader has the line at " + std::to_string(kRowBootBaud) + " baud");
        See(nowMs);
    }
}

void ApplicationFront::See(uint64_t nowMs)
{
    m_lastSeenMs = std::max(m_lastSeenMs, nowMs);
    // The drop is told when the unit is next looked at after it: the unit
    // acts only when something reaches it.
    if (!m_toldHandOver && m_powered && m_handOverMs && *m_handOverMs <= m_lastSeenMs) {
        m_toldHandOver = true;
        Tell(*m_handOverMs, "DSR dropped: the boot loader has the line");
    }
}

void ApplicationFront::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    See(nowMs);
    m_line.Collect(nowMs, out);
    m_inner.Collect(nowMs, out);
}

} // namespace tvqx::sim
