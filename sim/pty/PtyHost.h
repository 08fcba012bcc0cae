#pragma once
// tvqx-devsim's host: one simulated unit behind a pseudo-terminal that the
// update program opens as COMn. The program having the port open stands in
// for the power lines (a pty has none), the speed it sets is the line's,
// and the bytes in both directions keep a real line's timing unless --fast.

#include "sim/pty/DevsimOptions.h"
#include "sim/pty/DevsimTrace.h"
#include "sim/pty/HostedDevice.h"
#include "sim/pty/LinePacer.h"
#include "sim/pty/PortLink.h"
#include "sim/pty/PseudoTerminal.h"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tvqx::sim {

// Exit statuses of tvqx-devsim.
inline constexpr int kDevsimOk = 0;
inline constexpr int kDevsimRuntimeError = 1;
inline constexpr int kDevsimUsageError = 2;

class PtyHost {
public:
    // `tracePrefix` begins each of its trace lines (a unit among others).
    PtyHost(DevsimOptions options, std::ostream& traceOut, std::string tracePrefix = {});

    // Creates the pseudo-terminal and enters it as COMn in `portDirectory`.
    // Returns kDevsimOk, kDevsimUsageError when COMn is taken, or
    // kDevsimRuntimeError.
    int Claim(const std::string& portDirectory, std::string& error);
    // Tells the trace that the unit is there, and what it is.
    void Announce();
    // Serves the program until `stop` is set or the last of the wanted
    // updates is over; returns the exit status. The port entry is gone when
    // it returns. Each time `setupPresses` (if given) goes up, the unit's
    // Setup button is pressed.
    int Run(const std::atomic<int>& stop, std::string& error, const std::atomic<int>* setupPresses = nullptr);

    const HostedDevice& Device() const { return m_device; }
    unsigned UpdatesCompleted() const { return m_updates; }

private:
    // What one look at the master found.
    struct Look {
        bool hungUp = false;
        bool readable = false;
    };

    uint64_t RestBefore(uint64_t nowNs) const;
    bool Wait(uint64_t restNs, Look& look, std::string& error);
    bool ReadProgram(std::vector<uint8_t>& bytes, std::string& error);
    void FollowLineSpeed(uint64_t nowNs);
    void PressSetupButton(uint64_t nowNs);
    void PowerOn(uint64_t nowNs);
    void PowerOff(uint64_t nowNs);
    void DeliverToDevice(uint64_t nowNs);
    void HandToDevice(const TimedLineByte& byte);
    void PassAnswers(uint64_t atNs);
    void SendToProgram(uint64_t nowNs);
    void OnUpdateCompleted(uint64_t nowNs);
    void SaveFlash(uint64_t nowNs);
    bool RenewTerminal(uint64_t nowNs, std::string& error);

    DevsimOptions m_options;
    uint64_t m_startNs;
    DevsimTrace m_trace;
    HostedDevice m_device;
    LinePacer m_pacer;
    PseudoTerminal m_pty;
    PortLink m_link;

    bool m_powered = false;
    uint32_t m_lineSpeed = 0;
    bool m_updateThisSession = false;
    unsigned m_updates = 0;
    bool m_flashFailed = false;
    bool m_renewTerminal = false;
    // The program's side is full: it is not reading.
    bool m_outputBlocked = false;
    std::vector<TimedLineByte> m_arrived;
    std::vector<uint8_t> m_answers;
};

} // namespace tvqx::sim
