#include "sim/pty/PtyHost.h"

#include "sim/pty/FlashFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>

#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace tvqx::sim {

namespace {

constexpr uint64_t kNsPerMs = 1000000;
// The longest the host rests between looks while the line or the unit has
// something under way: the unit's clock counts whole milliseconds, so
// nothing finer is needed, and a millisecond's rest keeps the host from
// spinning a core.
constexpr uint64_t kRestNs = kNsPerMs;
// The longest it rests while only the program can start anything. A byte
// or an open wakes it at once anyway; this only bounds how late a new line
// speed shows in the trace.
constexpr uint64_t kIdleRestNs = 50 * kNsPerMs;
// A timed rest ends some tens of microseconds late (the timer, the
// scheduler, a virtual machine's idle processor), and at 115200 baud that
// is half a byte. The last stretch before a byte is due to the program is
// therefore waited out on the clock: the program sees each byte when the
// line would have delivered it.
constexpr uint64_t kExactStretchNs = 40000;

uint64_t MonotonicNs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

timespec AsTimespec(uint64_t ns)
{
    return {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

} // namespace

PtyHost::PtyHost(DevsimOptions options, std::ostream& traceOut, std::string tracePrefix)
    : m_options(std::move(options)),
      m_startNs(MonotonicNs()),
      m_trace(traceOut, m_startNs, m_options.quiet, std::move(tracePrefix)),
      m_device(m_options, m_startNs, m_trace),
      m_pacer(!m_options.fast)
{
}

int PtyHost::Claim(const std::string& portDirectory, std::string& error)
{
    if (!m_pty.Open(error))
        return kDevsimRuntimeError;
    bool taken = false;
    if (!m_link.Claim(portDirectory, m_options.comNumber, m_pty.SlavePath(), error, taken))
        return taken ? kDevsimUsageError : kDevsimRuntimeError;
    return kDevsimOk;
}

void PtyHost::Announce()
{
    const uint64_t now = MonotonicNs();
    m_trace.Line(now, "COM" + std::to_string(m_options.comNumber) + " ready: " + m_link.Path() + " -> "
                          + m_pty.SlavePath());
    m_trace.Line(now, m_device.Description() + "; line pacing "
                          + (m_options.fast ? "off (--fast)" : "on"));
    FollowLineSpeed(now);
}

int PtyHost::Run(const std::atomic<int>& stop, std::string& error, const std::atomic<int>* setupPresses)
{
    int pressesSeen = setupPresses ? setupPresses->load() : 0;
    // At 115200 baud the line's bytes are 87 us apart; the default slack of
    // a timed rest (50 us) would make every one of them late.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    int status = kDevsimOk;
    std::vector<uint8_t> fromProgram;
    while (!stop) {
        Look look;
        fromProgram.clear();
        if (!Wait(RestBefore(MonotonicNs()), look, error)
            || (look.readable && !ReadProgram(fromProgram, error))) {
            status = kDevsimRuntimeError;
            break;
        }
        const uint64_t now = MonotonicNs();
        // The speed first: what was just read was written at the speed the
        // program had set by then.
        FollowLineSpeed(now);
        // Bytes from a program that opened, wrote and closed between two
        // looks still met a powered device.
        if (!m_powered && (!look.hungUp || !fromProgram.empty()))
            PowerOn(now);
        if (!fromProgram.empty())
            m_pacer.FromProgram(fromProgram.data(), fromProgram.size(), now, m_lineSpeed);
        DeliverToDevice(now);
        // After what the program sent before it.
        for (; setupPresses && pressesSeen != setupPresses->load(); ++pressesSeen)
            PressSetupButton(now);

        if (m_powered && look.hungUp) {
            PowerOff(now);
            if (m_renewTerminal && !RenewTerminal(now, error)) {
                status = kDevsimRuntimeError;
                break;
            }
            if (m_options.updates && m_updates >= m_options.updates && !m_device.MidConversation()) {
                m_trace.Line(now, std::to_string(m_updates) + " update(s) done, as many as asked for");
                break;
            }
        } else if (m_powered) {
            SendToProgram(now);
            // Behind a radio link the last step may reach the unit some
            // time after the program sent it, as the unit is looked at.
            if (m_device.UpdateCompleted() && !m_updateThisSession)
                OnUpdateCompleted(now);
        }
    }
    if (stop)
        m_trace.Line(MonotonicNs(), "stopping: signal received");
    m_link.Release();
    m_trace.Line(MonotonicNs(), "COM" + std::to_string(m_options.comNumber) + " removed");
    if (status == kDevsimOk && m_flashFailed) {
        error = "the flash could not be written to " + m_options.flashOut;
        status = kDevsimRuntimeError;
    }
    return status;
}

uint64_t PtyHost::RestBefore(uint64_t nowNs) const
{
    uint64_t until = nowNs + kIdleRestNs;
    if (const auto next = m_pacer.NextLookNs())
        until = std::min(until, *next);
    if (m_powered)
        if (const auto next = m_device.NextLookNs(nowNs))
            until = std::min(until, *next);
    const uint64_t rest = until > nowNs ? until - nowNs : 0;
    // A program that does not read is waited for, not spun on.
    return m_outputBlocked ? std::max(rest, kRestNs) : rest;
}

bool PtyHost::Wait(uint64_t restNs, Look& look, std::string& error)
{
    pollfd master {m_pty.Master(), POLLIN, 0};
    int ready = 0;
    if (m_powered) {
        const uint64_t until = MonotonicNs() + restNs;
        const auto due = m_pacer.NextToProgramNs();
        const uint64_t exact =
            due && *due <= until && !m_outputBlocked ? std::min(restNs, kExactStretchNs) : 0;
        const timespec rest = AsTimespec(restNs - exact);
        ready = ::ppoll(&master, 1, &rest, nullptr);
        const timespec none {0, 0};
        while (ready == 0 && exact > 0 && MonotonicNs() < until)
            ready = ::ppoll(&master, 1, &none, nullptr);
    } else {
        // With no one on the slave the master stays hung up and poll on it
        // returns at once: wait for someone to open the slave instead, or
        // without word of that, look again within a millisecond.
        if (m_pty.OpenNotifier() >= 0) {
            pollfd opened {m_pty.OpenNotifier(), POLLIN, 0};
            const timespec rest = AsTimespec(restNs);
            if (::ppoll(&opened, 1, &rest, nullptr) < 0 && errno != EINTR) {
                error = std::string("cannot wait for the port to be opened: ") + std::strerror(errno);
                return false;
            }
            m_pty.DrainOpenNotices();
        } else {
            const timespec rest = AsTimespec(std::min(restNs, kRestNs));
            ::nanosleep(&rest, nullptr);
        }
        const timespec now {0, 0};
        ready = ::ppoll(&master, 1, &now, nullptr);
    }
    if (ready < 0 && errno != EINTR) {
        error = std::string("cannot watch the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    if (ready > 0 && (master.revents & POLLNVAL)) {
        error = "the pseudo-terminal went away";
        return false;
    }
    look.hungUp = ready > 0 && (master.revents & POLLHUP);
    look.readable = ready > 0 && (master.revents & POLLIN);
    return true;
}

bool PtyHost::ReadProgram(std::vector<uint8_t>& bytes, std::string& error)
{
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty.Master(), buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read; EIO: the program closed the port and everything
        // it wrote has been read.
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EIO) {
            error = std::string("cannot read the pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
}

void PtyHost::FollowLineSpeed(uint64_t nowNs)
{
    const uint32_t speed = m_pty.LineSpeed();
    if (speed == m_lineSpeed)
        return;
    m_lineSpeed = speed;
    m_device.SetLineSpeed(speed, nowNs);
    const uint32_t talks = m_device.TalkingBaud();
    m_trace.Line(nowNs, "line speed " + std::to_string(speed) + " baud"
                            + (speed == talks ? ""
                                              : " (the device talks " + std::to_string(talks)
                                                    + " baud: garbage both ways)"));
}

void PtyHost::PressSetupButton(uint64_t nowNs)
{
    if (!m_device.HasSetupButton()) {
        m_trace.Line(nowNs, "SIGUSR1: this unit has no Setup button");
        return;
    }
    m_trace.Line(nowNs, "Setup button pressed (SIGUSR1)");
    m_device.PressSetupButton(nowNs);
}

void PtyHost::PowerOn(uint64_t nowNs)
{
    m_powered = true;
    m_updateThisSession = false;
    m_device.PowerOn(nowNs);
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
    m_outputBlocked = false;
    m_device.PowerOff(nowNs);
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
    for (const TimedLineByte& byte : m_arrived) {
        HandToDevice(byte);
        // Bytes that arrived together may still have been answered in
        // between: each answer leaves the unit when its byte was there.
        PassAnswers(byte.timeNs);
    }
}

void PtyHost::HandToDevice(const TimedLineByte& byte)
{
    m_device.Take(byte);
    if (m_device.UpdateCompleted() && !m_updateThisSession)
        OnUpdateCompleted(byte.timeNs);
}

// What the unit has sent by `atNs` goes on the line from when it left the
// unit, not from when the host got round to looking: a late look must not
// stretch the line.
void PtyHost::PassAnswers(uint64_t atNs)
{
    m_answers.clear();
    m_device.Collect(atNs, m_answers);
    if (!m_answers.empty())
        m_pacer.FromDevice(m_answers.data(), m_answers.size(), m_device.ReleasedNs(atNs), m_device.TalkingBaud());
}

void PtyHost::SendToProgram(uint64_t nowNs)
{
    PassAnswers(nowNs);
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
    m_outputBlocked = done < m_answers.size();
    if (m_outputBlocked)
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
    std::string reason;
    if (WriteFlashFile(path, m_device.Flash(), reason)) {
        m_trace.Line(nowNs, "flash written to " + path);
        return;
    }
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
