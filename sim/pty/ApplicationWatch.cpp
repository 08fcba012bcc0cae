#include "sim/pty/ApplicationWatch.h"

#include "sim/RowBootLoader.h"

#include <utility>

namespace tvqx::sim {

namespace {

constexpr uint64_t kNsPerMs = 1000000;

} // namespace

ApplicationWatch::ApplicationWatch(const ApplicationFront& front, DevsimTrace& trace,
                                   std::unique_ptr<DeviceWatch> inner)
    : m_front(front),
      m_trace(trace),
      m_inner(std::move(inner)),
      m_versionRequests(front.VersionRequestTimes().size()),
      m_handOverRequests(front.HandOverRequestTimes().size())
{
}

void ApplicationWatch::PoweredOn()
{
    // A unit that starts in its boot loader has handed over at power-up:
    // nothing to tell.
    m_handedOver = m_front.Options().startsInBootLoader;
    m_inner->PoweredOn();
}

void ApplicationWatch::AfterByte(uint8_t byte, uint64_t nowNs)
{
    const ApplicationOptions& options = m_front.Options();
    if (m_front.VersionRequestTimes().size() != m_versionRequests) {
        m_versionRequests = m_front.VersionRequestTimes().size();
        m_trace.Line(nowNs, options.ignoreVersionRequest
                                ? "\"<V\" received: no answer (--no-app-answer)"
                                : "\"<V\" received: answering "
                                      + ShowText(options.answerText.value_or(kApplicationAnswer)));
        return;
    }
    if (m_front.HandOverRequestTimes().size() != m_handOverRequests) {
        m_handOverRequests = m_front.HandOverRequestTimes().size();
        m_trace.Line(nowNs, options.dsrNeverDrops
                                ? "\"<W\" received: ignored, DSR stays up (--dsr-never-drops)"
                                : "\"<W\" received: DSR drops in " + std::to_string(options.handOverDelayMs)
                                      + " ms, then the boot loader has the line at "
                                      + std::to_string(kRowBootBaud) + " baud");
        Tick(nowNs);
        return;
    }
    Tick(nowNs);
    if (m_front.CurrentStage() == ApplicationFront::Stage::BootLoader)
        m_inner->AfterByte(byte, nowNs);
}

void ApplicationWatch::Tick(uint64_t nowNs)
{
    const auto handOver = m_front.HandOverTime();
    if (!m_handedOver && handOver && nowNs / kNsPerMs >= *handOver) {
        m_handedOver = true;
        m_trace.Line(nowNs, "DSR dropped: the boot loader has the line");
    }
    m_inner->Tick(nowNs);
}

} // namespace tvqx::sim
