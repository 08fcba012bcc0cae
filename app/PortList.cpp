// The port list: which COM buttons can be chosen and which one is selected.

#include "app/MainWindowTexts.h"
#include "app/PortRange.h"
#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"

namespace tvqx {

void CTVQX_UpdateDlg::OnRefreshSerialPorts()
{
    const int saved =
        m_services.profile.GetProfileInt(product::kSettingsSection, product::kComPortEntry, -1);
    FindSerialPorts();
    EnablePortButtons();

    bool selected = false;
    if (saved >= 1 && saved <= 22 && m_portPresent[saved - 1] == 1) {
        CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM1 + saved - 1);
        selected = true;
    } else {
        for (int n = 1; n <= 22 && !selected; ++n) {
            if (m_portPresent[n - 1] == 1) {
                CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM1 + n - 1);
                selected = true;
            }
        }
    }
    if (!selected)
        CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM22 + 1);   // clears them all

    if (selected && !m_hexFileName.empty())
        EnableDlgItem(IDC_BEGIN_UPDATE, true);
}

void CTVQX_UpdateDlg::FindSerialPorts()
{
    m_portPresent.fill(0);
    const auto devices = m_services.inventory.ListSerialDevices();
    std::vector<int> aboveRange;
    if (devices)
        for (const auto& device : *devices)
            if (const int n = ComNumberAboveRange(device.name))
                aboveRange.push_back(n);
    SetDlgItemText(IDC_PORT_NOTE, OutOfRangeNote(aboveRange));
    if (!devices) {
        m_hSerialCommKey = nullptr;
        // Shown like the framework's application message box: the program's
        // name as caption, the exclamation icon.
        MessageBox(texts::kNoSerialPorts, m_services.applicationName, MB_ICONEXCLAMATION);
        return;
    }
    m_hSerialCommKey = &*devices;
    for (const auto& device : *m_hSerialCommKey) {
        const int n = ComPortNumber(device.name);
        if (n >= 1 && n <= 22)
            m_portPresent[n - 1] = 1;
    }
    m_hSerialCommKey = nullptr;
}

void CTVQX_UpdateDlg::EnablePortButtons()
{
    for (int n = 1; n <= 22; ++n)
        EnableDlgItem(IDC_COM1 + n - 1, m_portPresent[n - 1] == 1);
}

} // namespace tvqx
