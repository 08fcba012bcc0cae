// tvqx-update.exe: the firmware update utility's window on Windows. The
// program's logic is the same as everywhere; this file only gathers what it
// runs on here: the dialog manager, the system's tick counter and COM ports,
// the settings in the registry, the serial device map, the desktop's windows
// and the shell.

#include "app/ProductInfo.h"
#include "app/ProgramServices.h"
#include "app/Resource.h"
#include "app/TVQX_UpdateApp.h"
#include "platform/Directories.h"
#include "platform/TickClock.h"
#include "platform/Win32PortInventory.h"
#include "platform/Win32Profile.h"
#include "platform/Win32ShellOpen.h"
#include "platform/Win32WindowDirectory.h"
#include "serial/Win32PortLayer.h"
#include "ui/win32/Win32Backend.h"

#include "ui/win32/Win32Api.h"

using namespace tvqx;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The common controls first; the backend then loads the rich edit
    // control that the About box's contact lines are shown in.
    InitCommonControls();
    Win32Backend ui(instance);
    ui.SetApplicationIcon(IDR_MAINFRAME);

    RealTickClock clock;
    Win32PortLayer ports;
    RegistryPortInventory inventory;
    // Constructed without a name of its own, the application is named after
    // its program file, and so are its settings and its message boxes.
    const std::string applicationName = ProgramFileTitle();
    RegistryProfile profile(product::kSettingsKey, applicationName);
    Win32WindowDirectory windows;
    Win32ShellOpen shell;

    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    services.updateVariant = TVQX_UPDATE_VARIANT;
    services.linkFrameType = TVQX_LINK_FRAME_TYPE;
    services.applicationName = applicationName;

    CTVQX_UpdateApp app(services, ExecutableDirectory(), UserTempDirectory());
    app.InitInstance();
    return 0;
}
