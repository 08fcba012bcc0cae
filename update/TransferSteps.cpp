// The steps the row transfer and the 256-byte page transfers share: greeting
// the boot loader on the open port, and the two ways a transfer ends.

#include "app/ProductInfo.h"
#include "update/DeviceWaits.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

namespace tvqx {

namespace {

constexpr uint32_t kReadyTimeoutMs = 2000;

} // namespace

CUpdateWindow::Greeting CUpdateWindow::GreetOnOpenPort(uint32_t afterEntryMs, uint32_t readyTimeoutMs,
                                                            uint8_t readyByte)
{
    m_port.WriteString(kBootEntryCommand);
    WaitMs(afterEntryMs);
    const VersionAnswer version = ReadVersionAnswer(m_port, m_services.clock, kVersionTimeoutMs);
    if (version.outcome != VersionAnswer::Outcome::Accepted)
        return version.outcome == VersionAnswer::Outcome::NoAnswer ? Greeting::NoVersion : Greeting::InvalidVersion;
    SetDlgItemText(IDC_BOOTLOADER_VERSION, texts::FormatText(texts::kBootLoaderVersion, version.text));

    // The first byte to arrive decides.
    const DeviceByte ready = WaitForByte(m_port, m_services.clock, readyTimeoutMs);
    if (!ready.Is(readyByte))
        return ready.TimedOut() ? Greeting::NoReady : Greeting::InvalidReady;
    return Greeting::Ready;
}

bool CUpdateWindow::GreetBootLoader(uint32_t beforeEntryMs, uint32_t afterEntryMs, uint8_t readyByte)
{
    if (!CheckHexFile()) {
        // The check has said why; the device must not stay powered and the
        // window half-locked behind its message.
        FinishTransfer();
        EndRun(RunOutcome::Failed);
        return false;
    }
    ClearRunStatusLines();

    // Whatever came in while the boot loader woke (the rest of its wake-up
    // burst) is not part of its answer.
    WaitMs(beforeEntryMs);
    m_port.PurgeInput();
    switch (GreetOnOpenPort(afterEntryMs, kReadyTimeoutMs, readyByte)) {
    case Greeting::Ready: return true;
    case Greeting::NoVersion: FailTransfer(texts::FromTheDevice(texts::kNoResponseFrom)); break;
    case Greeting::InvalidVersion: FailTransfer(texts::FromTheDevice(texts::kInvalidVersionFrom)); break;
    case Greeting::NoReady: FailTransfer(texts::FromTheDevice(texts::kNoReadyFrom)); break;
    case Greeting::InvalidReady: FailTransfer(texts::FromTheDevice(texts::kInvalidReadyFrom)); break;
    }
    return false;
}

void CUpdateWindow::FailTransfer(const std::string& message)
{
    FinishTransfer();   // the port is closed: the device loses its power
    SetDlgItemText(IDC_RESULT, texts::kUpdateFailed);
    EndRun(RunOutcome::Failed);
    MessageBox(message + texts::RowFailureText(), texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
}

void CUpdateWindow::SucceedTransfer()
{
    SaveChosenPort();   // while the port is still open
    FinishTransfer();
    SetDlgItemText(IDC_RESULT, texts::kUpdateSucceeded);
    EndRun(RunOutcome::Updated);
    MessageBox(texts::kUpdateCompleteMessage, texts::kUpdateCompleteCaption, MB_ICONINFORMATION);
}

} // namespace tvqx
