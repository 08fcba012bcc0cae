#include "sim/pty/PtyHost.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <utility>

#include <poll.h>
#include <unistd.h>

namespace tvqx::sim {

namespace {

constexpr uint64_t kNsPerMs = 1000000;
// The longest the host rests between looks at the line: the device's clock
// counts whole milliseconds, so nothing finer is needed, and a millisecond's
// rest keeps the host from spinning a core.
constexpr uint64_t kRestNs = kNsPerMs;

uint64_t MonotonicNs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

PageBootLoaderFaults FaultsOnHostClock(const DevsimOptions& options, uint64_t startNs)
{
    PageBootLoaderFaults faults = options.faults;
    for (const NoiseAfterStart& noise : options.noise)
        faults.noiseAt.push_back({startNs / kNsPerMs + noise.afterStartMs, noise.bytes});
    return faults;
}

} // namespace

PtyHost::PtyHost(DevsimOptions options, std::ostream& traceOut)
    : m_options(std::move(options)),
      m_startNs(MonotonicNs()),
      m_trace(traceOut, m_startNs, m_options.quiet),
      m_device(FaultsOnHostClock(m_options, m_startNs)),
      m_watch(m_device, m_trace),
      m_pacer(!m_options.fast)
{
}

uint64_t PtyHost::NowNs() const
{
    return MonotonicNs();
}

void PtyHost::Sleep(uint64_t ns) const
{
    const timespec ts {0, static_cast<long>(std::min<uint64_t>(ns, kRestNs))};
    ::nanosleep(&ts, nullptr);
}

int PtyHost::Start(const std::string& portDirectory, std::string& error)
{
    if (!m_pty.Open(error))
        return kDevsimRuntimeError;
    bool taken = false;
    if (!m_link.Claim(portDirectory, m_options.comNumber, m_pty.SlavePath(), error, taken))
        return taken ? kDevsimUsageError : kDevsimRuntimeError;

    const uint64_t now = NowNs();
    m_trace.Line(now, "COM" + std::to_string(m_options.comNumber) + " ready: " + m_link.Path() + " -> "
                          + m_pty.SlavePath());
    m_trace.Line(now, std::string("page boot loader, answers at 9600 baud, line pacing ")
                          + (m_options.fast ? "off (--fast)" : "on"));
    FollowLineSpeed(now);
    return kDevsimOk;
}

int PtyHost::Run(const volatile std::sig_atomic_t& stop, std::string& error)
{
    int status = kDevsimOk;
    std::vector<uint8_t> fromProgram;
    while (!stop) {
        uint64_t now = NowNs();
        uint64_t waitNs = kRestNs;
        if (const auto next = m_pacer.NextDueNs())
            waitNs = *next > now ? std::min(waitNs, *next - now) : 0;

        pollfd p {m_pty.Master(), POLLIN, 0};
        const timespec ts {0, static_cast<long>(waitNs)};
        const int ready = ::ppoll(&p, 1, &ts, nullptr);
        if (ready < 0 && errno != EINTR) {
            error = std::string("cannot watch the pseudo-terminal: ") + std::strerror(errno);
            status = kDevsimRuntimeError;
            break;
        }
        if (ready > 0 && (p.revents & POLLNVAL)) {
            error = "the pseudo-terminal went away";
            status = kDevsimRuntimeError;
            break;
        }
        // With no one on the slave the master stays hung up and poll returns
        // at once, so the rest has to be taken here.
        const bool hungUp = ready > 0 && (p.revents & POLLHUP);
        now = NowNs();

        fromProgram.clear();
        if (ready > 0 && (p.revents & POLLIN)) {
            uint8_t buffer[4096];
            for (;;) {
                const ssize_t n = ::read(m_pty.Master(), buffer, sizeof buffer);
                if (n > 0) {
                    fromProgram.insert(fromProgram.end(), buffer, buffer + n);
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                // EAGAIN: all read; EIO: the program closed the port and
                // everything it wrote has been read.
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EIO) {
                    error = std::string("cannot read the pseudo-terminal: ") + std::strerror(errno);
                    status = kDevsimRuntimeError;
                }
                break;
            }
            if (status != kDevsimOk)
                break;
        }
        // The speed first: what was just read was written at the speed the
        // program had set by then.
        FollowLineSpeed(now);
        // Bytes from a program that opened, wrote and closed between two
        // looks still met a powered device.
        if (!m_powered && (!hungUp || !fromProgram.empty()))
            PowerOn(now);
        if (!fromProgram.empty())
            m_pacer.FromProgram(fromProgram.data(), fromProgram.size(), now, m_lineSpeed);
        DeliverToDevice(now);

        if (m_powered && hungUp) {
            PowerOff(now);
            if (m_renewTerminal && !RenewTerminal(now, error)) {
                status = kDevsimRuntimeError;
                break;
            }
            if (m_options.updates && m_updates >= m_options.updates) {
                m_trace.Line(now, std::to_string(m_updates) + " update(s) done, as many as asked for");
                break;
            }
        } else if (m_powered) {
            SendToProgram(now);
        }
        if (hungUp)
            Sleep(waitNs ? waitNs : kRestNs);
    }
    if (stop)
        m_trace.Line(NowNs(), "stopping: signal received");
    m_link.Release();
    m_trace.Line(NowNs(), "COM" + std::to_string(m_options.comNumber) + " removed");
    if (status == kDevsimOk && m_flashFailed) {
        error = "the flash could not be written to " + m_options.flashOut;
        status = kDevsimRuntimeError;
    }
    return status;
}

void PtyHost::FollowLineSpeed(uint64_t nowNs)
{
    const uint32_t speed = m_pty.LineSpeed();
    if (speed == m_lineSpeed)
        return;
    m_lineSpeed = speed;
    m_device.SetLineSpeed(speed, nowNs / kNsPerMs);
    m_trace.Line(nowNs, "line speed " + std::to_string(speed) + " baud"
                            + (speed == kBootBaud ? "" : " (the device talks 9600 baud only: garbage both ways)"));
}

void PtyHost::PowerOn(uint64_t nowNs)
{
    m_powered = true;
    m_updateThisSession = false;
    m_device.SetPower(true, true, nowNs / kNsPerMs);
    m_watch.PoweredOn();
    m_trace.Line(nowNs, "power on: port opened");
}

void PtyHost::PowerOff(uint64_t nowNs)
{
    // What the program wrote before it closed the port was on the line
    // before the power dropped.
    m_arrived.clear();
    m_pacer.TakeAll(m_arrived);
    for (TimedLineByte& byte : m_arrived) {
        byte.timeNs = std::min(byte.timeNs, nowNs);
        HandToDevice(byte);
    }
    m_powered = false;
    m_device.SetPower(false, false, nowNs / kNsPerMs);
    m_pacer.Reset();
    m_trace.Line(nowNs, "power off: port closed");
    if (m_updateThisSession)
        SaveFlash(nowNs);

    // Whatever the device sent that the program did not read would greet
    // the next opener as if the device had just said it.
    if (m_pty.ResetSlave() == PseudoTerminal::Reset::Locked) {
        m_trace.Line(nowNs, "the program left the port locked (did it crash?): making a new one");
        m_renewTerminal = true;
    }
}

void PtyHost::DeliverToDevice(uint64_t nowNs)
{
    m_arrived.clear();
    m_pacer.TakeArrived(nowNs, m_arrived);
    for (const TimedLineByte& byte : m_arrived)
        HandToDevice(byte);
}

void PtyHost::HandToDevice(const TimedLineByte& byte)
{
    // One at a time, so that the watch sees each step the device takes.
    m_device.Receive(&byte.value, 1, byte.timeNs / kNsPerMs);
    m_watch.AfterByte(byte.value, byte.timeNs);
    if (m_watch.UpdateCompleted() && !m_updateThisSession)
        OnUpdateCompleted(byte.timeNs);
}

void PtyHost::SendToProgram(uint64_t nowNs)
{
    m_answers.clear();
    m_device.Collect(nowNs / kNsPerMs, m_answers);
    if (!m_answers.empty())
        m_pacer.FromDevice(m_answers.data(), m_answers.size(), nowNs, kBootBaud);

    m_answers.clear();
    m_pacer.TakeDue(nowNs, m_answers);
    size_t done = 0;
    while (done < m_answers.size()) {
        const ssize_t n = ::write(m_pty.Master(), m_answers.data() + done, m_answers.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    // A program that does not read fills the terminal's buffer; the rest
    // waits, as it would in a UART's.
    if (done < m_answers.size())
        m_pacer.PutBack(m_answers.data() + done, m_answers.size() - done, nowNs);
}

void PtyHost::OnUpdateCompleted(uint64_t nowNs)
{
    m_updateThisSession = true;
    ++m_updates;
    m_trace.Line(nowNs, "update " + std::to_string(m_updates) + " complete");
    SaveFlash(nowNs);
}

void PtyHost::SaveFlash(uint64_t nowNs)
{
    const std::string& path = m_options.flashOut;
    if (path.empty())
        return;
    // Written aside and renamed, so that a reader never sees half a flash.
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    const std::vector<uint8_t>& flash = m_device.Flash();
    bool ok = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(flash.data()), static_cast<std::streamsize>(flash.size()));
        out.close();
        ok = static_cast<bool>(out);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) {
        m_trace.Line(nowNs, "flash written to " + path);
        return;
    }
    const std::string reason = std::strerror(errno);
    std::remove(temp.c_str());
    m_flashFailed = true;
    m_trace.Line(nowNs, "cannot write the flash to " + path + ": " + reason);
}

bool PtyHost::RenewTerminal(uint64_t nowNs, std::string& error)
{
    PseudoTerminal fresh;
    if (!fresh.Open(error) || !m_link.Retarget(fresh.SlavePath(), error))
        return false;
    m_pty = std::move(fresh);
    m_renewTerminal = false;
    m_lineSpeed = 0;
    FollowLineSpeed(nowNs);
    m_trace.Line(nowNs, m_link.Path() + " now leads to " + m_pty.SlavePath());
    return true;
}

} // namespace tvqx::sim
