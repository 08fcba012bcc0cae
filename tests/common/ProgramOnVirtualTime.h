#pragma once
// The whole program headless on virtual time: the main window's clock,
// backend, simulated ports and pretend platform services. The devices behind
// the ports belong to the owner, which closes the window before they go: its
// port may still be open to one of them.

#include "app/TVQX_UpdateDlg.h"
#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/SimulatedPortLayer.h"
#include "ui/headless/HeadlessBackend.h"

#include <cstdint>
#include <memory>

namespace tvqx::test {

struct ProgramOnVirtualTime {
    explicit ProgramOnVirtualTime(uint64_t startMs) : clock(startMs) {}
    ~ProgramOnVirtualTime() { CloseWindow(); }

    void CloseWindow()
    {
        if (dlg && dlg->IsCreated())
            ui.Destroy(*dlg);
        dlg.reset();
    }

    VirtualTickClock clock;
    HeadlessBackend ui{clock};
    SimulatedPortLayer ports{clock};
    FixedPortInventory inventory;
    MemoryProfile profile;
    FakeWindowDirectory windows;
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    std::unique_ptr<CTVQX_UpdateDlg> dlg;
};

} // namespace tvqx::test
