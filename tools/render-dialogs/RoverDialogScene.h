#pragma once
// The scene both picture tools show of the rover module dialog: a radio
// variant's update asks for the remote unit's parameters, the technician
// presses the unit's Setup button, and the dialog is pictured once the line
// has come in and the blinking prompt is back, just before Start Update.
// Everything runs on simulated time.

#include "app/Resource.h"
#include "app/RoverModuleDlg.h"
#include "platform/TickClock.h"
#include "sim/VariantDevices.h"

namespace tvqx::render {

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
