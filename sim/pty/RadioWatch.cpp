#include "sim/pty/RadioWatch.h"

#include <utility>

namespace tvqx::sim {

RadioWatch::RadioWatch(const RadioGateway& gateway, const RoverUnit& rover,
                       const std::vector<ReceivedByte>& bootLoaderReceived, DevsimTrace& trace,
                       std::unique_ptr<DeviceWatch> inner)
    : m_gateway(gateway),
      m_rover(rover),
      m_bootLoaderReceived(bootLoaderReceived),
      m_trace(trace),
      m_inner(std::move(inner)),
      m_events(gateway.Events().size()),
      m_probesHeard(rover.ProbesHeard()),
      m_probesAnswered(rover.ProbesAnswered()),
      m_bytesForwarded(bootLoaderReceived.size()),
      m_sessions(rover.Sessions())
{
}

void RadioWatch::PoweredOn()
{
    m_sessionDone = false;
    m_innerWasComplete = m_inner->UpdateCompleted();
}

void RadioWatch::AfterByte(uint8_t, uint64_t nowNs)
{
    CatchUp(nowNs);
}

void RadioWatch::Tick(uint64_t nowNs)
{
    CatchUp(nowNs);
    m_inner->Tick(nowNs);
}

void RadioWatch::CatchUp(uint64_t nowNs)
{
    const std::vector<RadioEvent>& events = m_gateway.Events();
    for (; m_events < events.size(); ++m_events)
        m_trace.Line(nowNs, events[m_events].text);

    if (m_rover.ProbesHeard() != m_probesHeard) {
        const bool answered = m_rover.ProbesAnswered() != m_probesAnswered;
        const std::string probe = "probe " + ShowByte(m_rover.Probe()) + " reached the remote unit";
        const int limit = m_gateway.Options().probesAnswered;
        m_trace.Line(nowNs, answered ? probe + ": answered by its front"
                                     : probe + ": not answered (--probes-answered " + std::to_string(limit) + ")");
        m_probesHeard = m_rover.ProbesHeard();
        m_probesAnswered = m_rover.ProbesAnswered();
    }

    // The boot loader's own trace, byte by byte as it heard them.
    for (; m_bytesForwarded < m_bootLoaderReceived.size(); ++m_bytesForwarded) {
        m_inner->AfterByte(m_bootLoaderReceived[m_bytesForwarded].value, nowNs);
        const bool complete = m_inner->UpdateCompleted();
        if (complete && !m_innerWasComplete)
            m_sessionDone = true;
        m_innerWasComplete = complete;
    }

    if (m_rover.Sessions() != m_sessions) {
        m_sessions = m_rover.Sessions();
        m_trace.Line(nowNs, "the remote unit's boot loader starts afresh: the gateway left transparent mode");
        m_inner->PoweredOn();
        m_innerWasComplete = m_inner->UpdateCompleted();
    }
}

} // namespace tvqx::sim
