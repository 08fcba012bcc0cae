// tvqx-update: the firmware update utility's window. The program's logic is
// the same as everywhere; this file only gathers what it runs on here: the
// Qt window, the real clock and serial ports, the settings file and the
// desktop's programs for mail and web links.

#include "app/ProgramServices.h"
#include "app/TVQX_UpdateApp.h"
#include "gui/AppIcon.h"
#include "gui/PortToolTips.h"
#include "platform/Directories.h"
#include "platform/LinuxPortInventory.h"
#include "platform/Profile.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/PosixPortLayer.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtShellOpen.h"

#include <QApplication>

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
    IniFileProfile profile(SettingsFilePath());
    EmptyWindowDirectory windows;
    QtShellOpen shell;
    ui.SetToolTipProvider(PortToolTips(inventory));

    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    services.updateVariant = TVQX_UPDATE_VARIANT;
    services.linkFrameType = TVQX_LINK_FRAME_TYPE;
    services.applicationName = "tvqx-update";

    CTVQX_UpdateApp app(services, ExecutableDirectory(), UserTempDirectory());
    app.InitInstance();
    return 0;
}
