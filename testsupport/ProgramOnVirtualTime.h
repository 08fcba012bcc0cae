#pragma once
// The whole program on virtual time with pretend surroundings: the clock, the
// window's backend (headless unless a window backend is named), simulated
// ports, a fixed port list, settings in memory, a pretend desktop and a shell
// that only records, all handed to the program as its services. The devices
// behind the ports belong to the owner, which closes the window before they
// go: its port may still be open to one of them.

#include "update/ProgramServices.h"
#include "app/TVQX_UpdateDlg.h"
#include "platform/TickClock.h"
#include "testsupport/FakePlatform.h"
#include "testsupport/SimulatedPortLayer.h"
#include "ui/headless/HeadlessBackend.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tvqx {

template <typename Backend = HeadlessBackend>
struct ProgramOnVirtualTime {
    explicit ProgramOnVirtualTime(uint64_t startMs = 1'000'000, std::vector<PortEntry> listed = {})
        : clock(startMs), inventory(std::move(listed)) {}
    ~ProgramOnVirtualTime() { CloseWindow(); }

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
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    std::unique_ptr<CTVQX_UpdateDlg> dlg;
};

} // namespace tvqx
