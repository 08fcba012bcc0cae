#include "sim/pty/WakeUpWatch.h"

#include <utility>

namespace tvqx::sim {

WakeUpWatch::WakeUpWatch(const WakeUpFront& front, DevsimTrace& trace, std::unique_ptr<DeviceWatch> inner)
    : m_front(front),
      m_trace(trace),
      m_inner(std::move(inner)),
      m_stage(front.CurrentStage()),
      m_pollsSeen(front.PollTimes().size())
{
}

void WakeUpWatch::PoweredOn()
{
    m_stage = m_front.CurrentStage();
    m_pollsSeen = m_front.PollTimes().size();
    m_polls = 0;
    m_toldEarlyPoll = false;
    m_inner->PoweredOn();
}

void WakeUpWatch::AfterByte(uint8_t byte, uint64_t nowNs)
{
    const WakeUpOptions& options = m_front.Options();
    const WakeUpFront::Stage before = m_stage;
    m_stage = m_front.CurrentStage();
    if (before == WakeUpFront::Stage::Awake) {
        // The unit is awake: the byte went to the boot loader. The poll of
        // the tick that found the wake-up byte comes this way too.
        m_pollsSeen = m_front.PollTimes().size();
        m_inner->AfterByte(byte, nowNs);
        return;
    }
    if (before == WakeUpFront::Stage::AwaitingStartCommand && m_stage == WakeUpFront::Stage::AwaitingPolls) {
        std::string text = std::string("start command \"") + kWakeUpStartCommand + "\" received";
        if (!options.startCommandAnswer.empty())
            text += "; answering " + ShowBytes(options.startCommandAnswer);
        m_trace.Line(nowNs, text);
    } else if (m_stage == WakeUpFront::Stage::AwaitingStartCommand && byte == kWakeUpPoll && !m_toldEarlyPoll) {
        m_toldEarlyPoll = true;
        m_trace.Line(nowNs, std::string("poll 0xC0 ignored: no start command \"") + kWakeUpStartCommand
                                + "\" yet since power-up");
    }
    if (m_front.PollTimes().size() != m_pollsSeen) {
        m_pollsSeen = m_front.PollTimes().size();
        OnPoll(nowNs);
    }
}

void WakeUpWatch::OnPoll(uint64_t nowNs)
{
    const WakeUpOptions& options = m_front.Options();
    ++m_polls;
    const std::string poll = "poll " + std::to_string(m_polls) + " (0xC0) received";
    if (m_stage == WakeUpFront::Stage::Awake) {
        std::string text = poll + ": awake, 0xD0 sent";
        if (options.wakeDelayMs)
            text.append(" ").append(std::to_string(options.wakeDelayMs)).append(" ms later");
        if (!options.noiseBeforeWake.empty())
            text += "; " + ShowBytes(options.noiseBeforeWake) + " before it";
        if (!options.noiseAfterWake.empty())
            text += "; " + ShowBytes(options.noiseAfterWake) + " after it";
        m_trace.Line(nowNs, text);
        return;
    }
    std::string text = poll;
    if (!options.pollAnswer.empty())
        text += ", answered " + ShowBytes(options.pollAnswer);
    if (m_polls > 1) {
        m_trace.RoutineLine(nowNs, text);
        return;
    }
    text += options.neverWakes ? "; this unit never wakes (--never-wake)"
                               : "; wakes at poll " + std::to_string(options.pollsBeforeWake);
    m_trace.Line(nowNs, text);
}

} // namespace tvqx::sim
