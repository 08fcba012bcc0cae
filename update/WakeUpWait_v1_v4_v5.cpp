// The waiting variants' first phase: "Begin Update" powers the device by
// opening the port and returns with the window alive; the window's timer
// blinks the prompt and polls the device until its boot loader announces
// itself, then posts WM_BOOTLOADER_READY. "Cancel Update" ends the wait.

#include "firmware/FirmwareTexts.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

namespace tvqx {

namespace {

constexpr uint32_t kSettlePauseMs = 200;
// Variant 5 greets the equipment on the line first; what it answers is
// thrown away with the settings change half a second later.
constexpr const char* kStartCommand = "<#:Z";
constexpr uint32_t kStartCommandPauseMs = 500;
// The prompt is shown for about 2000 ms and hidden for about 500 ms: each
// phase ends at the first 500 ms tick past its threshold.
constexpr uint32_t kPromptShownMs = 1500;
constexpr uint32_t kPromptHiddenMs = 250;
constexpr uint8_t kWakeUpPoll = 0xC0;
constexpr uint8_t kWakeUpByte = 0xD0;

} // namespace

void CUpdateWindow::BeginUpdateVariant1()
{
    CWaitCursor wait(m_ui);
    if (m_waitingForBootLoader == 1) {
        CancelWakeUpWait();
        return;
    }
    StartWakeUpWait(false);
}

void CUpdateWindow::BeginUpdateVariant4()
{
    BeginPageUpdateWait(false);
}

void CUpdateWindow::BeginUpdateVariant5()
{
    BeginPageUpdateWait(true);
}

void CUpdateWindow::BeginPageUpdateWait(bool sendStartCommand)
{
    CWaitCursor wait(m_ui);
    if (m_waitingForBootLoader == 1) {
        CancelWakeUpWait();
        EndImageLife(ImageMoment::AfterTransfer);
        return;
    }
    // The image is written while the wait has already begun; a conversion
    // that fails ends the run and sends the window back to Idle through the
    // cancel branch.
    if (StartWakeUpWait(sendStartCommand) && !ConvertHexToImage()) {
        EndRun(RunOutcome::Failed);
        PostMessage(WM_BEGIN_UPDATE, 0, 0);
    }
}

bool CUpdateWindow::OpenPortBorrowingOnce(int portNumber, int baud)
{
    if (m_port.Open(portNumber, baud, 'N', 8, 1))
        return true;
    BorrowPortFromTestProgram(portNumber);
    if (m_port.Open(portNumber, baud, 'N', 8, 1))
        return true;
    m_runCause = RunCause::PortNotOpened;
    return false;
}

bool CUpdateWindow::StartWakeUpWait(bool sendStartCommand)
{
    if (!CheckHexFile()) {
        EndRun(RunOutcome::Failed);
        return false;
    }
    ClearRunStatusLines();

    const int portNumber = ChosenPort();
    const int baud = Variant()->baud;
    if (!OpenPortBorrowingOnce(portNumber, baud)) {
        SetDlgItemText(IDC_RESULT, "");
        EndRun(RunOutcome::Failed);
        MessageBox(texts::FormatText(texts::kCannotOpenPort, portNumber), texts::kUpdateErrorCaption,
                   MB_ICONEXCLAMATION);
        ReturnPortToTestProgram();
        return false;
    }
    if (sendStartCommand) {
        m_port.WriteString(kStartCommand);
        WaitMs(kStartCommandPauseMs);
        m_port.ChangeSettings(baud, 'N', '8');
    }
    WaitMs(kSettlePauseMs);

    SetDlgItemText(IDC_BEGIN_UPDATE, texts::kCancelUpdateCaption);
    LockWindowForWait(portNumber);
    m_blinkTick = m_services.clock.GetTickCount();
    m_blinkOn = 1;
    m_waitingForBootLoader = 1;
    SetDlgItemText(IDC_RESULT, m_wakePrompt);
    EnableDlgItem(IDC_REFRESH_PORTS, false);
    EnableCloseAndAbout(false);
    Events().WaitingForUnit(true);
    return true;
}

void CUpdateWindow::CancelWakeUpWait()
{
    const bool wasWaiting = m_bootLoaderAwake == 0;
    m_waitingForBootLoader = 0;
    m_bootLoaderAwake = 0;
    m_port.Close();   // the device loses its power
    SetDlgItemText(IDC_BEGIN_UPDATE, texts::kBeginUpdateCaption);
    SetDlgItemText(IDC_RESULT, "");
    EnablePortButtons();
    ReturnPortToTestProgram();
    UnlockWindowAfterWait();
    if (wasWaiting)
        Events().WaitingForUnit(false);
    EndRun(RunOutcome::Cancelled);
}

void CUpdateWindow::LockWindowForWait(int portNumber)
{
    DisableOtherPorts(portNumber);
    EnableDlgItem(IDCANCEL, false);
    EnableDlgItem(IDC_CONTACT_INFO, false);
}

void CUpdateWindow::UnlockWindowAfterWait()
{
    EnableDlgItem(IDC_REFRESH_PORTS, true);
    EnableDlgItem(IDCANCEL, true);
    EnableDlgItem(IDC_CONTACT_INFO, true);
    EnableCloseAndAbout(true);
}

void CUpdateWindow::EnableCloseAndAbout(bool enable)
{
    if (SystemMenu* menu = GetSystemMenu()) {
        const UINT state = MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED);
        menu->EnableMenuItem(SC_CLOSE, state);
        menu->EnableMenuItem(IDM_ABOUTBOX, state);
    }
}

void CUpdateWindow::OnTimer(UINT_PTR)
{
    // The timer runs for the window's whole life; it has work only while a
    // waiting variant waits for the boot loader to wake.
    if (m_waitingForBootLoader == 0 || m_bootLoaderAwake == 1)
        return;

    const uint32_t now = m_services.clock.GetTickCount();
    if (m_blinkOn == 1 && now - m_blinkTick > kPromptShownMs) {
        SetDlgItemText(IDC_RESULT, "");
        m_blinkOn = 0;
        m_blinkTick = now;
    } else if (m_blinkOn == 0 && now - m_blinkTick > kPromptHiddenMs) {
        SetDlgItemText(IDC_RESULT, m_wakePrompt);
        m_blinkOn = 1;
        m_blinkTick = now;
    }

    // Whatever came before the wake-up byte is dropped; what comes after it
    // stays queued until the transfer clears the input.
    while (m_port.BytesWaiting() != 0) {
        uint8_t byte = 0;
        if (m_port.Read(&byte, 1) != 1)
            break;
        if (byte == kWakeUpByte) {
            m_bootLoaderAwake = 1;
            Events().WaitingForUnit(false);
            PostMessage(WM_BOOTLOADER_READY, 0, 0);
            break;
        }
    }
    m_port.WriteByte(kWakeUpPoll);
}

} // namespace tvqx
