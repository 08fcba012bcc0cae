#include "sim/pty/HostedDevice.h"

#include <algorithm>

namespace tvqx::sim {

namespace {

constexpr uint64_t kNsPerMs = 1000000;
// The devices count whole milliseconds and the host rounds down: a little
// room either side.
constexpr uint64_t kReactionMarginMs = 2;

uint64_t PiecesMs(const std::vector<AnswerPiece>& pieces)
{
    uint64_t total = 0;
    for (const AnswerPiece& piece : pieces)
        total += piece.delayMs;
    return total;
}

VariantDeviceFaults WithNoise(const DevsimOptions& options, uint64_t startNs, std::vector<uint64_t>& noiseMs)
{
    VariantDeviceFaults faults = options.faults;
    const bool radio = options.variant == 3 || options.variant == 6;
    for (const NoiseAfterStart& noise : options.noise) {
        const TimedNoise timed{startNs / kNsPerMs + noise.afterStartMs, noise.bytes};
        // Whichever boot loader the unit has puts it on the line; the
        // radio units' line ends at the gateway.
        if (radio) {
            faults.radio.noiseAt.push_back(timed);
        } else {
            faults.pages.noiseAt.push_back(timed);
            faults.rows.noiseAt.push_back(timed);
        }
        noiseMs.push_back(timed.atMs);
    }
    std::sort(noiseMs.begin(), noiseMs.end());
    return faults;
}

std::string RadioText(const VariantDevice& device)
{
    const RadioOptions& radio = device.gateway->Options();
    const std::string probe = device.variant == 3 ? "0x80 with 0x90" : "0xC0 with 0xD0";
    std::string text = radio.gatewayAbsent ? "no gateway on the line (--no-gateway)"
                                           : "a radio gateway at " + std::to_string(radio.gatewayBaud) + " baud";
    text += "; over its radio, remote unit " + std::string(1, radio.moduleId) + ", whose front answers probe "
            + probe + ", then the " + (device.variant == 3 ? "row boot loader" : "page boot loader with 256-byte pages");
    text += radio.linkConfigured ? "; the link is configured already" : "; the link needs configuring";
    if (radio.setupAfterListenMs)
        text += "; Setup is pressed " + std::to_string(*radio.setupAfterListenMs)
                + " ms after the gateway starts listening (and on SIGUSR1)";
    return text;
}

std::string WakeUpText(const WakeUpOptions& wakeUp)
{
    if (wakeUp.neverWakes)
        return "never answers the wake-up poll 0xC0 (--never-wake)";
    return "answers wake-up poll " + std::to_string(wakeUp.pollsBeforeWake) + " (0xC0) with 0xD0";
}

} // namespace

uint64_t LongestReactionMs(const VariantDevice& device)
{
    // Summed over the parts the unit has: no chain of answers can take
    // longer.
    uint64_t total = kReactionMarginMs;
    if (device.pageLoader) {
        const PageBootLoaderFaults& pages = device.pageLoader->Faults();
        total += uint64_t{pages.responseDelayMs} + pages.readyDelayMs + PiecesMs(pages.versionPieces);
    }
    if (device.rowLoader) {
        const RowBootLoaderFaults& rows = device.rowLoader->Faults();
        total += uint64_t{rows.responseDelayMs} + rows.readyDelayMs + rows.xonDelayMs + rows.rowWriteMs
                 + PiecesMs(rows.versionPieces);
    }
    if (device.wakeUp)
        total += device.wakeUp->Options().wakeDelayMs;
    if (device.application)
        total += uint64_t{device.application->Options().answerDelayMs} + device.application->Options().handOverDelayMs;
    if (device.gateway)
        total += uint64_t{kRemoteReplyMs} + 2 * uint64_t{device.gateway->Options().relayDelayMs};
    return total;
}

HostedDevice::HostedDevice(const DevsimOptions& options, uint64_t startNs, DevsimTrace& trace)
    : m_variant(options.variant),
      m_inApplication(options.inApplication),
      m_device(MakeDeviceForVariant(options.variant, WithNoise(options, startNs, m_noiseMs))),
      m_trace(trace),
      m_reactionMs(LongestReactionMs(m_device))
{
    m_device.SetTraceSink(this);
}

uint64_t HostedDevice::Now(uint64_t nowNs)
{
    m_nowNs = nowNs;
    return nowNs / kNsPerMs;
}

void HostedDevice::Tell(uint64_t, TraceKind kind, const std::string& text)
{
    // Stamped with the host's own time of the call that set it off, finer
    // than the device's whole milliseconds.
    if (kind == TraceKind::Routine)
        return m_trace.RoutineLine(m_nowNs, text);
    m_trace.Line(m_nowNs, text);
    m_completed = m_completed || kind == TraceKind::Completed;
}

std::string HostedDevice::Description() const
{
    const std::string name = "variant " + std::to_string(m_variant) + " (" + VariantName(m_variant) + "): ";
    switch (m_variant) {
    case 1:
        return name + WakeUpText(m_device.wakeUp->Options()) + ", then the row boot loader; all at 115200 baud";
    case 2:
        if (m_inApplication)
            return name + "the application at 9600 baud answers \"<V\" and on \"<W\" hands over to the row boot"
                          " loader at 115200 baud (the program cannot see DSR on a pseudo-terminal and will"
                          " not take this path)";
        return name + "the row boot loader at 115200 baud, already running: a pseudo-terminal has no DSR, so"
                      " the program takes the unit to be in its boot loader";
    case 4:
        return name + WakeUpText(m_device.wakeUp->Options())
               + ", then the page boot loader with 256-byte pages; all at 9600 baud";
    case 3:
    case 6:
        return name + RadioText(m_device);
    case 5:
        return name + "after the start command \"<#:Z\" " + WakeUpText(m_device.wakeUp->Options())
               + ", then the page boot loader with 256-byte pages; all at 9600 baud";
    default:
        return name + "the page boot loader with 128-byte pages at 9600 baud";
    }
}

void HostedDevice::Touched(uint64_t nowMs)
{
    m_busyUntilMs = std::max(m_busyUntilMs.value_or(0), nowMs + m_reactionMs);
}

void HostedDevice::PowerOn(uint64_t nowNs)
{
    // An update counts in the port session it was completed in.
    m_completed = false;
    m_device.Line().SetPower(true, true, Now(nowNs));
    Touched(nowNs / kNsPerMs);
}

void HostedDevice::PowerOff(uint64_t nowNs)
{
    m_device.Line().SetPower(false, false, Now(nowNs));
    m_busyUntilMs.reset();
}

void HostedDevice::SetLineSpeed(uint32_t baud, uint64_t nowNs)
{
    m_device.Line().SetLineSpeed(baud, Now(nowNs));
}

void HostedDevice::Take(const TimedLineByte& byte)
{
    const uint64_t ms = Now(byte.timeNs);
    m_device.Line().Receive(&byte.value, 1, ms);
    Touched(ms);
    m_lastTakenNs = std::max(m_lastTakenNs, byte.timeNs);
}

void HostedDevice::Collect(uint64_t nowNs, std::vector<uint8_t>& out)
{
    m_lastCollectMs = Now(nowNs);
    m_device.Line().Collect(m_lastCollectMs, out);
}

uint64_t HostedDevice::ReleasedNs(uint64_t nowNs) const
{
    const uint64_t thisMs = nowNs - nowNs % kNsPerMs;
    return std::min(nowNs, std::max(thisMs, m_lastTakenNs));
}

void HostedDevice::PressSetupButton(uint64_t nowNs)
{
    m_device.PressSetupButton(Now(nowNs));
    Touched(nowNs / kNsPerMs);
}

std::optional<uint64_t> HostedDevice::NextLookNs(uint64_t nowNs) const
{
    std::optional<uint64_t> next;
    if (m_busyUntilMs && nowNs / kNsPerMs <= *m_busyUntilMs)
        next = nowNs + kNsPerMs;
    // The gateway's own timed work (a guard time, a Setup press) is looked
    // at when due, and for as long as what it sets off takes.
    if (m_device.gateway)
        if (const auto due = m_device.gateway->NextEventMs())
            next = std::min(next.value_or(*due * kNsPerMs), std::max(*due * kNsPerMs, nowNs));
    const auto noise = std::upper_bound(m_noiseMs.begin(), m_noiseMs.end(), m_lastCollectMs);
    if (noise != m_noiseMs.end())
        next = std::min(next.value_or(*noise * kNsPerMs), *noise * kNsPerMs);
    return next;
}

} // namespace tvqx::sim
