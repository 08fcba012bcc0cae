#pragma once
// What both picture tools show, on simulated time: the program with COM1 and
// COM3 present and COM3 chosen, and the rover module dialog's scene: a radio
// variant's update asks for the remote unit's parameters, the technician
// presses the unit's Setup button, and the dialog is pictured once the line
// has come in and the blinking prompt is back, just before Start Update.

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/RoverModuleDlg.h"
#include "platform/TickClock.h"
#include "sim/PageBootLoader.h"
#include "sim/VariantDevices.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include <string>
#include <utility>

namespace tvqx::render {

constexpr int kChosenPort = 3;

// The program as a user has it: COM1 and COM3 under the system's names for
// them, COM3 the saved port, the page boot loader behind it.
template <typename Backend>
struct PictureProgram : ProgramOnVirtualTime<Backend> {
    PictureProgram(std::string com1, std::string com3)
        : ProgramOnVirtualTime<Backend>(1'000'000, {{"COM1", std::move(com1)}, {"COM3", std::move(com3)}})
    {
        Use(10, device);
        this->profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, kChosenPort);
    }
    // The procedure "Begin Update" runs next, and the unit it meets on COM3.
    void Use(int variant, sim::SimDevice& unit)
    {
        this->ports.Attach(kChosenPort, unit);
        this->services.updateVariant = variant;
    }

    sim::PageBootLoader device;
};

// The variant whose dialog is shown, and the gateway with the unit behind it.
constexpr int kRadioVariant = 6;

inline sim::VariantDevice MakeRadioDevice()
{
    sim::VariantDeviceFaults faults;
    // Pressed a little after the dialog asks the gateway to listen.
    faults.radio.setupAfterListenMs = 1200;
    return sim::MakeDeviceForVariant(kRadioVariant, faults);
}

// Runs the dialog's timer until the parameters are in and the prompt shows.
inline void ReceiveParameters(CRover_Module_ID_Dlg& dialog, VirtualTickClock& clock)
{
    for (int tick = 0; tick < 100; ++tick) {
        clock.Advance(kRoverSetupTimerPeriodMs);
        dialog.SendMessage(WM_TIMER, kRoverSetupTimerId);
        if (dialog.IsDlgItemEnabled(IDC_START_UPDATE) && !dialog.GetDlgItemText(IDC_SETUP_PROMPT).empty())
            return;
    }
}

} // namespace tvqx::render
