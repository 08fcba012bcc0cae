// The window's update part: what "Begin Update" and a ready boot loader run,
// looked up in the variant table; whether the window is at rest; the steps
// every procedure shares; and the hand-over of the port from the serial test
// program.

#include "app/ProductInfo.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"
#include "update/VariantTable.h"

#include <algorithm>
#include <cctype>
#include <utility>

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

CUpdateWindow::CUpdateWindow(const DialogTemplate& layout, ProgramServices& services)
    : CDialog(layout, services.ui), m_port(services.ports, services.clock, services.linkFrameType),
      m_services(services)
{
    OnCommand(IDC_BEGIN_UPDATE, [this] { OnBeginUpdate(); });
    OnMessage(WM_TIMER, [this](WPARAM w, LPARAM) {
        OnTimer(w);
        return LRESULT(0);
    });
    OnMessage(WM_BOOTLOADER_READY, [this](WPARAM w, LPARAM l) {
        // Posted when the wake-up byte was seen; if the user pressed "Cancel
        // Update" before it was handled, the port is closed and there is
        // nothing left to continue.
        if (m_bootLoaderAwake != 1)
            return LRESULT(1);
        return OnBootLoaderReady(w, l);
    });
    OnMessage(WM_BEGIN_UPDATE, [this](WPARAM w, LPARAM l) { return OnBeginUpdateMessage(w, l); });
}

CUpdateWindow::~CUpdateWindow() = default;

void CUpdateWindow::OnBeginUpdate()
{
    // Between pages the window dispatches messages and a port refresh may
    // enable "Begin Update" again; a second run must not start inside the
    // first one.
    const VariantEntry* variant = Variant();
    if (m_updateRunning || !variant || !variant->beginUpdate)
        return;
    m_updateRunning = true;
    if (m_waitingForBootLoader == 0) {
        // A press while the window waits for the unit cancels that run.
        m_runPort = ChosenPort();
        m_runOpen = true;
    }
    (this->*variant->beginUpdate)();
    EndImageLife(ImageMoment::AfterBeginUpdate);
    m_updateRunning = false;
}

LRESULT CUpdateWindow::OnBeginUpdateMessage(WPARAM, LPARAM)
{
    OnBeginUpdate();
    return 1;
}

LRESULT CUpdateWindow::OnBootLoaderReady(WPARAM, LPARAM)
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
    if (const VariantEntry* variant = Variant())
        (this->*variant->bootLoaderReady)();
    EndImageLife(ImageMoment::AfterTransfer);
    SetDlgItemText(IDC_BEGIN_UPDATE, texts::kBeginUpdateCaption);
    EnableDlgItem(IDC_BEGIN_UPDATE, true);
    EnableDlgItem(IDCANCEL, true);
    EnableDlgItem(IDC_REFRESH_PORTS, true);
    EnableDlgItem(IDC_CONTACT_INFO, true);
    EnableCloseAndAbout(true);
    m_updateRunning = wasRunning;
    return 1;
}

bool CUpdateWindow::IsAtRest() const
{
    const SystemMenu* menu = GetSystemMenu();
    return !m_updateRunning && m_waitingForBootLoader == 0 && m_bootLoaderAwake == 0 && !m_port.IsOpen() &&
           m_borrowedPort == -1 &&
           GetDlgItemText(IDC_BEGIN_UPDATE) == texts::kBeginUpdateCaption && IsDlgItemEnabled(IDCANCEL) &&
           IsDlgItemEnabled(IDC_REFRESH_PORTS) && IsDlgItemEnabled(IDC_CONTACT_INFO) &&
           (!menu || (menu->IsEnabled(SC_CLOSE) && menu->IsEnabled(IDM_ABOUTBOX)));
}

int CUpdateWindow::ChosenPort() const
{
    return GetCheckedRadioButton(IDC_COM1, IDC_COM22) - 2000;
}

void CUpdateWindow::DisableOtherPorts(int portNumber)
{
    for (int i = 0; i < 22; ++i)
        if (i + 1 != portNumber)
            EnableDlgItem(IDC_COM1 + i, false);
}

void CUpdateWindow::ClearRunStatusLines()
{
    SetDlgItemText(IDC_BOOTLOADER_VERSION, "");
    SetDlgItemText(IDC_PROGRESS, "");
    SetDlgItemText(IDC_RESULT, "");
}

void CUpdateWindow::SaveChosenPort()
{
    m_services.profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, m_port.GetPortNumber());
}

void CUpdateWindow::SendEndMarker()
{
    m_port.WriteByte(kEndMarkerByte);
    m_port.WriteByte(kEndMarkerByte);
}

UpdateObserver& CUpdateWindow::Events()
{
    static UpdateObserver nobody;
    return m_services.observer ? *m_services.observer : nobody;
}

void CUpdateWindow::EndRun(RunOutcome outcome)
{
    const RunCause cause = std::exchange(m_runCause, RunCause::None);
    // An image the run made and never sent is let go of with the run.
    m_heldImage.reset();
    if (std::exchange(m_runOpen, false))
        Events().RunEnded(RunEnd{outcome, m_runPort, cause});
}

const VariantEntry* CUpdateWindow::Variant() const
{
    return FindVariant(m_services.updateVariant);
}

void CUpdateWindow::EndImageLife(ImageMoment moment)
{
    const VariantEntry* variant = Variant();
    if (variant && variant->makesImage && variant->imageRemoved == moment)
        DeleteImageFile();
}

void CUpdateWindow::WaitMs(uint32_t ms)
{
    SpinFor(m_services.clock, ms);
}

void CUpdateWindow::FinishTransfer()
{
    m_port.Close();
    SetDlgItemText(IDC_RESULT, "");
    EnablePortButtons();
    ReturnPortToTestProgram();
}

void CUpdateWindow::BorrowPortFromTestProgram(int portNumber)
{
    if (PostToTestPrograms(m_services.windows, PORT_HANDOVER_RELEASE, portNumber))
        m_borrowedPort = portNumber;
    if (m_borrowedPort != -1)
        m_services.clock.Sleep(kHandoverPauseMs);
}

void CUpdateWindow::ReturnPortToTestProgram()
{
    if (m_borrowedPort == -1)
        return;
    PostToTestPrograms(m_services.windows, PORT_HANDOVER_RETURN, m_borrowedPort);
    m_borrowedPort = -1;
}

} // namespace tvqx
