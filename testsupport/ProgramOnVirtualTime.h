#pragma once
// The whole program on virtual time with pretend surroundings: the clock, the
// window's backend (headless unless a window backend is named), simulated
// ports, a fixed port list, settings in memory, a pretend desktop and a shell
// that only records, all handed to the program as its services. The devices
// behind the ports belong to the owner, which closes the window before they
// go: its port may still be open to one of them.

#include "app/TVQX_UpdateDlg.h"
#include "platform/TickClock.h"
#include "testsupport/FakePlatform.h"
#include "testsupport/SimulatedPortLayer.h"
#include "ui/headless/HeadlessBackend.h"
#include "update/ProgramServices.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tvqx {

// What the program told of its runs, for the verdicts of the tests, the
// fault campaign and the fuzz targets.
struct RunRecorder final : UpdateObserver {
    void RunEnded(const RunEnd& end) override { ends.push_back(end); }
    bool Updated() const { return !ends.empty() && ends.back().outcome == RunOutcome::Updated; }
    std::vector<RunEnd> ends;
};

template <typename Backend = HeadlessBackend>
struct ProgramOnVirtualTime {
    explicit ProgramOnVirtualTime(uint64_t startMs = 1'000'000, std::vector<PortEntry> listed = {})
        : clock(startMs), inventory(std::move(listed)) {}
    ~ProgramOnVirtualTime() { CloseWindow(); }

    // The update is over: the window is at rest and no message waits.
    bool UpdateOver() const { return dlg->IsAtRest() && ui.PendingMessages() == 0; }

    void CloseWindow()
    {
        if (dlg && dlg->IsCreated())
            ui.Destroy(*dlg);
        dlg.reset();
    }

    VirtualTickClock clock;
    // The headless backend runs on the virtual clock; a window backend
    // brings the system's own.
    Backend ui = [this] {
        if constexpr (std::is_constructible_v<Backend, TickClock&>)
            return Backend(clock);
        else
            return Backend();
    }();
    SimulatedPortLayer ports{clock};
    FixedPortInventory inventory;
    MemoryProfile profile;
    FakeWindowDirectory windows;
    RecordingShellOpen shell;
    RunRecorder runs;
    ProgramServices services = [this] {
        ProgramServices s{ui, clock, ports, inventory, profile, windows, shell};
        s.observer = &runs;
        return s;
    }();
    std::unique_ptr<CTVQX_UpdateDlg> dlg;
};

} // namespace tvqx
