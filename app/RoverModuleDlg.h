#pragma once
// The rover module dialog: while it is open, the technician presses the
// Setup button on the remote unit, which sends its control parameters by
// radio; the gateway relays them as one line on the port the update
// procedure has open. The dialog reads that line on its timer, shows the
// parameters, and hands them to the procedure when Start Update is pressed.

#include "platform/TickClock.h"
#include "serial/CRS232.h"
#include "ui/Dialog.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tvqx {

constexpr UINT_PTR kRoverSetupTimerId = 11;
constexpr UINT kRoverSetupTimerPeriodMs = 100;

// The remote unit's parameters as its line states them.
struct RoverParameters {
    char moduleId = 0;
    std::string serialHigh;   // 8 hexadecimal digits
    std::string serialLow;    // 8 hexadecimal digits
    std::string panId;        // 4 hexadecimal digits
    std::string rfChannel;    // 2 hexadecimal digits
};

struct RoverLineReading {
    std::optional<RoverParameters> parameters;   // set when the line is good
    std::string problem;                         // why not, for the dialog; empty when good
};

// Reads one line as the remote unit sends it, without its carriage return.
RoverLineReading ParseRoverLine(const uint8_t* line, int count);

class CRover_Module_ID_Dlg : public CDialog {
public:
    CRover_Module_ID_Dlg(UiBackend& ui, TickClock& clock);

    BOOL OnInitDialog() override;
    void OnOK() override;   // Enter does not close the dialog
    ControlLook OnCtlColor(int controlId, const ControlLook& defaultLook) override;
    void OnTimer(UINT_PTR id);
    void OnStartUpdate();
    void OnDestroy();

    // Members, in the order the dialog declares them.
    CRS232* m_pPort = nullptr;
    char m_moduleId = 0;
    char m_serialHigh[9] = {};
    char m_serialLow[9] = {};
    char m_panId[5] = {};
    char m_rfChannel[3] = {};
    UINT_PTR m_setupTimerId = 0;
    uint8_t m_rxLine[100] = {};
    int32_t m_rxCount = 0;
    FontSpec m_promptFont;
    uint32_t m_promptTick = 9999;
    int32_t m_promptOn = 0;

    // What Start Update converted: the values the procedure takes.
    uint32_t m_serialHighValue = 0;
    uint32_t m_serialLowValue = 0;
    uint16_t m_panIdValue = 0;
    uint8_t m_rfChannelValue = 0;

private:
    // A carriage return ended the line in m_rxLine[0, m_rxCount).
    void LineReceived();
    // m_rxLine filled up before a carriage return came.
    void LineOverflowed();
    // Start Update disabled, the four parameters and their fields emptied.
    void ClearParameters();

    TickClock& m_clock;
};

} // namespace tvqx
