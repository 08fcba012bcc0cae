#include "sim/WakeUpFront.h"

#include <utility>

namespace tvqx::sim {

WakeUpFront::WakeUpFront(SimDevice& inner, WakeUpOptions options)
    : m_inner(inner),
      m_options(std::move(options)),
      m_line(m_options.baud, m_options.noiseAt),
      m_startWindow(sizeof(kWakeUpStartCommand) - 1)
{
}

void WakeUpFront::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool on = dtr && rts;
    if (m_line.SetPower(on, nowMs)) {
        m_startWindow.Clear();
        m_polls = 0;
        m_toldEarlyPoll = false;
        m_wakeTime.reset();
        m_stage = !on ? Stage::Off
                      : m_options.requireStartCommand ? Stage::AwaitingStartCommand : Stage::AwaitingPolls;
    }
    m_inner.SetPower(dtr, rts, nowMs);
}

void WakeUpFront::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_line.SetLineSpeed(baud, nowMs);
    m_inner.SetLineSpeed(baud, nowMs);
}

void WakeUpFront::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i) {
        const bool understood = m_line.Hear(data[i], nowMs);
        if (m_stage == Stage::Awake) {
            // The poll sent on the tick that found the wake-up byte still
            // counts as a poll, though it goes on to the boot loader, which
            // takes it for a stray byte before its entry command. Once the
            // boot loader has heard anything else, 0xC0 is just data.
            if (understood && data[i] == kWakeUpPoll && !m_innerSpoken)
                m_pollTimes.push_back(nowMs);
            else
                m_innerSpoken = true;
            m_inner.Receive(data + i, 1, nowMs);
        } else if (understood) {
            HandleByte(data[i], nowMs);
        }
    }
}

void WakeUpFront::HandleByte(uint8_t byte, uint64_t nowMs)
{
    switch (m_stage) {
    case Stage::AwaitingStartCommand:
        m_startWindow.Push(byte);
        if (m_startWindow.EndsWith(kWakeUpStartCommand)) {
            m_stage = Stage::AwaitingPolls;
            std::string told = std::string("start command \"") + kWakeUpStartCommand + "\" received";
            if (!m_options.startCommandAnswer.empty()) {
                m_line.Answer(m_options.startCommandAnswer, nowMs);
                told += "; answering " + ShowBytes(m_options.startCommandAnswer);
            }
            Tell(nowMs, told);
        } else if (byte == kWakeUpPoll && !m_toldEarlyPoll) {
            // Once per power-up: the program polls on a tick.
            m_toldEarlyPoll = true;
            Tell(nowMs, std::string("poll 0xC0 ignored: no start command \"") + kWakeUpStartCommand
                            + "\" yet since power-up");
        }
        break;
    case Stage::AwaitingPolls:
        if (byte != kWakeUpPoll)
            break;
        m_pollTimes.push_back(nowMs);
        ++m_polls;
        if (!m_options.neverWakes && m_polls >= m_options.pollsBeforeWake)
            Wake(nowMs);
        else
            OnIdlePoll(nowMs);
        break;
    case Stage::Off:
    case Stage::Awake:
        break;
    }
}

void WakeUpFront::OnIdlePoll(uint64_t nowMs)
{
    std::string told = "poll " + std::to_string(m_polls) + " (0xC0) received";
    if (!m_options.pollAnswer.empty()) {
        m_line.Answer(m_options.pollAnswer, nowMs);
        told += ", answered " + ShowBytes(m_options.pollAnswer);
    }
    if (m_polls > 1)
        return Tell(nowMs, told, TraceKind::Routine);
    Tell(nowMs, told + (m_options.neverWakes ? "; this unit never wakes (--never-wake)"
                                             : "; wakes at poll " + std::to_string(m_options.pollsBeforeWake)));
}

void WakeUpFront::Wake(uint64_t nowMs)
{
    std::vector<uint8_t> burst = m_options.noiseBeforeWake;
    burst.push_back(kWakeUpAnswer);
    burst.insert(burst.end(), m_options.noiseAfterWake.begin(), m_options.noiseAfterWake.end());
    m_line.Answer(burst, nowMs + m_options.wakeDelayMs);
    m_wakeTime = nowMs + m_options.wakeDelayMs;
    m_stage = Stage::Awake;
    m_innerSpoken = false;
    ++m_wakes;

    std::string told = "poll " + std::to_string(m_polls) + " (0xC0) received: awake, 0xD0 sent";
    if (m_options.wakeDelayMs)
        told += " " + std::to_string(m_options.wakeDelayMs) + " ms later";
    if (!m_options.noiseBeforeWake.empty())
        told += "; " + ShowBytes(m_options.noiseBeforeWake) + " before it";
    if (!m_options.noiseAfterWake.empty())
        told += "; " + ShowBytes(m_options.noiseAfterWake) + " after it";
    Tell(nowMs, told);
}

void WakeUpFront::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_line.Collect(nowMs, out);
    m_inner.Collect(nowMs, out);
}

} // namespace tvqx::sim
