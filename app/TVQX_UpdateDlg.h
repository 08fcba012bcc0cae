#pragma once
// The main window: the program's only window. Its update procedures live in
// update/ (CUpdateWindow); here are its start-up, the port list, the About
// box and the rover module dialog the radio variants ask.

#include "app/Resource.h"
#include "update/UpdateWindow.h"

#include <array>
#include <string>
#include <vector>

namespace tvqx {

constexpr UINT_PTR kMainTimerId = 10;
constexpr UINT kMainTimerPeriodMs = 500;

class CTVQX_UpdateDlg : public CUpdateWindow {
public:
    explicit CTVQX_UpdateDlg(ProgramServices& services);
    ~CTVQX_UpdateDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;   // Enter with no button focused: nothing happens
    ControlLook OnCtlColor(int controlId, const ControlLook& defaultLook) override;

    // Handlers.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    int OnQueryDragIcon() const { return m_hIcon; }
    void OnDone();
    void OnDestroy();
    void OnRefreshSerialPorts();
    void OnContactInfo();
    void OnDetailedInstructions();

    // Port list.
    void FindSerialPorts();
    void EnablePortButtons() override;

    // Firmware files.
    void ReadFirmwareDescription();

    std::string m_firmwareVersion;
    FontSpec m_statusFont;
    UINT_PTR m_timerId = 0;
    std::array<int32_t, 22> m_portPresent{};
    int m_hIcon = IDR_MAINFRAME;

private:
    std::optional<RemoteUnit> AskForRemoteUnit(CRS232& port) override;

    // The device list being read; set only while FindSerialPorts runs.
    const std::vector<PortEntry>* m_hSerialCommKey = nullptr;
};

} // namespace tvqx
