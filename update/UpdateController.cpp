// What "Begin Update" does: pick the build's update procedure, lock the
// window around it, and the steps every procedure shares.

#include "app/TVQX_UpdateDlg.h"
#include "update/RowUpdateTexts.h"

#include <algorithm>
#include <cctype>

namespace tvqx {

namespace {

constexpr const char* kTestProgramTitles[] = {"Ostrale Linewatch", "Ostrale Serial Test Program"};
constexpr int kTitleChars = 99;
constexpr uint32_t kHandoverPauseMs = 1000;

bool IsTestProgramTitle(const std::string& title)
{
    if (title.empty())
        return false;
    for (const char* name : kTestProgramTitles) {
        const std::string n(name);
        if (title.size() >= n.size() &&
            std::equal(n.begin(), n.end(), title.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
    }
    return false;
}

// Posts `wParam` with the port number to every visible serial test program
// window; true when at least one was found.
bool PostToTestPrograms(WindowDirectory& windows, WPARAM wParam, int portNumber)
{
    bool found = false;
    for (WindowHandle w = windows.GetTopWindow(); windows.IsWindow(w); w = windows.GetNextWindow(w)) {
        if (!windows.IsWindowVisible(w) || !IsTestProgramTitle(windows.GetWindowText(w, kTitleChars)))
            continue;
        windows.PostMessage(w, WM_PORT_HANDOVER, wParam, portNumber);
        found = true;
    }
    return found;
}

} // namespace

void CTVQX_UpdateDlg::OnBeginUpdate()
{
    // Between pages the window dispatches messages and a port refresh may
    // enable "Begin Update" again; a second run must not start inside the
    // first one.
    if (m_updateRunning)
        return;
    m_updateRunning = true;
    switch (m_services.updateVariant) {
    case 1: BeginUpdateVariant1(); break;
    case 2: BeginUpdateVariant2(); break;
    case 3: BeginUpdateVariant3(); break;
    case 4: BeginUpdateVariant4(); break;
    case 5: BeginUpdateVariant5(); break;
    case 6:
        BeginUpdateVariant6();
        DeleteImageFile();
        break;
    case 10: RunPageUpdate(); break;
    default: break;
    }
    m_updateRunning = false;
}

LRESULT CTVQX_UpdateDlg::OnBeginUpdateMessage(WPARAM, LPARAM)
{
    OnBeginUpdate();
    return 1;
}

LRESULT CTVQX_UpdateDlg::OnBootLoaderReady(WPARAM, LPARAM)
{
    // The transfer dispatches messages as it goes; no other run may start
    // inside it.
    const bool wasRunning = m_updateRunning;
    m_updateRunning = true;
    m_waitingForBootLoader = 0;
    m_bootLoaderAwake = 0;
    EnableDlgItem(IDC_BEGIN_UPDATE, false);
    EnableDlgItem(IDCANCEL, false);
    EnableDlgItem(IDC_REFRESH_PORTS, false);
    EnableDlgItem(IDC_CONTACT_INFO, false);
    switch (m_services.updateVariant) {
    case 4: ContinueUpdateVariant4(); break;
    case 5: ContinueUpdateVariant5(); break;
    // Over the radio link: the remote unit's boot loader has answered.
    case 6: SendPageImageVariant5(); break;
    default: SendHexRows(); break;
    }
    SetDlgItemText(IDC_BEGIN_UPDATE, texts::kBeginUpdateCaption);
    EnableDlgItem(IDC_BEGIN_UPDATE, true);
    EnableDlgItem(IDCANCEL, true);
    EnableDlgItem(IDC_REFRESH_PORTS, true);
    EnableDlgItem(IDC_CONTACT_INFO, true);
    EnableCloseAndAbout(true);
    m_updateRunning = wasRunning;
    return 1;
}

void CTVQX_UpdateDlg::RunPageUpdate()
{
    CWaitCursor wait(m_ui);
    const int portNumber = GetCheckedRadioButton(IDC_COM1, IDC_COM22) - 2000;
    for (int i = 0; i < 22; ++i)
        if (i + 1 != portNumber)
            EnableDlgItem(IDC_COM1 + i, false);
    EnableDlgItem(IDC_BEGIN_UPDATE, false);
    EnableDlgItem(IDCANCEL, false);
    EnableDlgItem(IDC_CONTACT_INFO, false);
    SetDlgItemText(IDC_BOOTLOADER_VERSION, "");
    SetDlgItemText(IDC_PROGRESS, "");
    SetDlgItemText(IDC_RESULT, "");

    if (CheckHexFile() && ConvertHexToImage()) {
        BorrowPortFromTestProgram(portNumber);
        SendPageImage();
        ReturnPortToTestProgram();
    }

    EnablePortButtons();
    EnableDlgItem(IDC_BEGIN_UPDATE, true);
    EnableDlgItem(IDCANCEL, true);
    EnableDlgItem(IDC_CONTACT_INFO, true);
}

void CTVQX_UpdateDlg::WaitMs(uint32_t ms)
{
    SpinFor(m_services.clock, ms);
}

void CTVQX_UpdateDlg::FinishTransfer()
{
    m_port.Close();
    SetDlgItemText(IDC_RESULT, "");
    EnablePortButtons();
    ReturnPortToTestProgram();
}

void CTVQX_UpdateDlg::BorrowPortFromTestProgram(int portNumber)
{
    if (PostToTestPrograms(m_services.windows, PORT_HANDOVER_RELEASE, portNumber))
        m_borrowedPort = portNumber;
    if (m_borrowedPort != -1)
        m_services.clock.Sleep(kHandoverPauseMs);
}

void CTVQX_UpdateDlg::ReturnPortToTestProgram()
{
    if (m_borrowedPort == -1)
        return;
    PostToTestPrograms(m_services.windows, PORT_HANDOVER_RETURN, m_borrowedPort);
    m_borrowedPort = -1;
}

} // namespace tvqx
