#include "sim/ApplicationFront.h"

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
    m_lastSeenMs = std::max(m_lastSeenMs, nowMs);
    if (m_line.SetPower(on, nowMs)) {
        m_powered = on;
        m_commandWindow.Clear();
        m_handOverMs.reset();
        if (on && m_options.startsInBootLoader)
            m_handOverMs = nowMs;
    }
    // The boot loader is powered with the unit; it only gets the line once
    // the application hands over.
    m_inner.SetPower(dtr, rts, nowMs);
}

void ApplicationFront::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_lastSeenMs = std::max(m_lastSeenMs, nowMs);
    m_line.SetLineSpeed(baud, nowMs);
    m_inner.SetLineSpeed(baud, nowMs);
}

void ApplicationFront::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    m_lastSeenMs = std::max(m_lastSeenMs, nowMs);
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
            return;
        const std::string text = m_options.answerText.value_or(kApplicationAnswer);
        m_line.Answer({text.begin(), text.end()}, nowMs + m_options.answerDelayMs);
    } else if (m_commandWindow.EndsWith(kApplicationHandOverRequest)) {
        m_commandWindow.Clear();
        m_handOverRequests.push_back(nowMs);
        if (!m_options.dsrNeverDrops)
            m_handOverMs = nowMs + m_options.handOverDelayMs;
    }
}

void ApplicationFront::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_lastSeenMs = std::max(m_lastSeenMs, nowMs);
    m_line.Collect(nowMs, out);
    m_inner.Collect(nowMs, out);
}

} // namespace tvqx::sim
