// tvqx-update: the firmware update utility's window. The program's logic is
// the same as everywhere; this file only gathers what it runs on here: the
// Qt window, the real clock and serial ports, the settings file and the
// desktop's programs for mail and web links.

#include "app/ProductInfo.h"
#include "app/TVQX_UpdateApp.h"
#include "gui/AppIcon.h"
#include "gui/PortAccessNote.h"
#include "gui/PortToolTips.h"
#include "platform/Directories.h"
#include "platform/LinuxPortInventory.h"
#include "platform/Profile.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/PosixPortLayer.h"
#include "serial/WireTrace.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtShellOpen.h"
#include "update/ProgramServices.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

using namespace tvqx;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tvqx-update"));
    QApplication::setOrganizationName(QStringLiteral("Ostrale Systems"));

    QtBackend ui;
    ui.SetApplicationIcon(ApplicationIcon());

    RealTickClock clock;
    LinuxPortInventory inventory(PortDirectory());
    PosixPortLayer ports([&inventory](int portNumber) { return inventory.DevicePath(portNumber); });
    // TVQX_TRACE=FILE: a wire trace for support; a file that cannot be made
    // is reported and the window runs without one.
    const auto trace = WireTrace::Start(ChooseTracePath("", std::getenv(kTraceVariable)), "tvqx-update",
                                        product::kVersion, ports, clock,
                                        [&inventory](int portNumber) { return inventory.DevicePath(portNumber); },
                                        std::cerr);
    PortLayer& linePorts = trace ? trace->Ports() : ports;
    IniFileProfile profile(SettingsFilePath());
    EmptyWindowDirectory windows;
    QtShellOpen shell;
    const char* home = std::getenv("HOME");
    ui.SetToolTipProvider(PortToolTips(DescribeLinuxPorts(inventory, home ? home : "")));
    PortAccessNotes notes(inventory);
    ui.SetMessageNote([&notes](const std::string&) { return notes.TakeNote(); });

    ProgramServices services{ui, clock, linePorts, inventory, profile, windows, shell};
    services.observer = &notes;
    services.updateVariant = TVQX_UPDATE_VARIANT;
    services.linkFrameType = TVQX_LINK_FRAME_TYPE;
    services.applicationName = "tvqx-update";

    CTVQX_UpdateApp app(services, ExecutableDirectory(), UserTempDirectory());
    app.InitInstance();
    return 0;
}
