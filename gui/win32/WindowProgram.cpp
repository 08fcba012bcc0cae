#include "gui/win32/WindowProgram.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/TVQX_UpdateApp.h"
#include "platform/Directories.h"
#include "platform/TickClock.h"
#include "platform/Win32PortInventory.h"
#include "platform/Win32Profile.h"
#include "platform/Win32ShellOpen.h"
#include "platform/Win32WindowDirectory.h"
#include "serial/Win32PortLayer.h"
#include "serial/WireTrace.h"
#include "ui/win32/Win32Backend.h"
#include "update/ProgramServices.h"

#include "ui/win32/Win32Api.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace tvqx {

namespace {

// The window stays open between updates and waits for nothing then: the
// clock gives back the fine sleep period its waits asked for once a run ends.
class RestsEndWithTheRun final : public UpdateObserver {
public:
    explicit RestsEndWithTheRun(RealTickClock& clock) : m_clock(clock) {}
    void RunEnded(const RunEnd&) override { m_clock.EndOfRests(); }

private:
    RealTickClock& m_clock;
};

} // namespace

int WindowProgramMain(HINSTANCE instance, int updateVariant, int linkFrameType)
{
    // The common controls first; the backend then loads the rich edit
    // control that the About box's contact lines are shown in.
    InitCommonControls();
    Win32Backend ui(instance);
    ui.SetApplicationIcon(IDR_MAINFRAME);

    RealTickClock clock;
    Win32PortLayer systemPorts;
    RegistryPortInventory inventory;
    // Constructed without a name of its own, the application is named after
    // its program file, and so are its settings and its message boxes.
    const std::string applicationName = ProgramFileTitle();
    // TVQX_TRACE=FILE: a wire trace for support. This program has no console
    // to say that the file cannot be made, so a message box says it; the
    // window then runs without a trace.
    std::ostringstream traceError;
    const auto trace = WireTrace::Start(ChooseTracePath("", std::getenv(kTraceVariable)), applicationName,
                                        product::kVersion, systemPorts, clock,
                                        [&inventory](int portNumber) { return inventory.DevicePath(portNumber); },
                                        traceError);
    if (!traceError.str().empty())
        ui.MessageBox(nullptr, traceError.str(), applicationName, MB_ICONEXCLAMATION);
    PortLayer& ports = trace ? trace->Ports() : systemPorts;
    RegistryProfile profile(product::kSettingsKey, applicationName);
    Win32WindowDirectory windows;
    Win32ShellOpen shell;

    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    services.updateVariant = updateVariant;
    services.linkFrameType = linkFrameType;
    services.applicationName = applicationName;
    RestsEndWithTheRun restsEnd(clock);
    services.observer = &restsEnd;

    CTVQX_UpdateApp app(services, ExecutableDirectory(), UserTempDirectory());
    app.InitInstance();
    return 0;
}

} // namespace tvqx
