// Variant 10, the page update: its controller (lock the window, check and
// convert the firmware files, borrow the port) and the page boot-loader
// protocol: wake the boot loader, check its version and send the page image
// page by page, each with its number and checksum.

#include "app/ProductInfo.h"
#include "firmware/FirmwareTexts.h"
#include "platform/File.h"
#include "update/DeviceWaits.h"
#include "update/PageFrames.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <cstdio>
#include <optional>

namespace tvqx {

namespace {

constexpr uint32_t kPowerUpPauseMs = 500;
constexpr uint32_t kReadyTimeoutMs = 1000;
constexpr uint8_t kReady = '!';
constexpr uint32_t kAfterEndMarkerMs = 20;
constexpr uint32_t kClosingWaitMs = 1000;

} // namespace

void CUpdateWindow::RunPageUpdate()
{
    CWaitCursor wait(m_ui);
    const int portNumber = ChosenPort();
    DisableOtherPorts(portNumber);
    EnableDlgItem(IDC_BEGIN_UPDATE, false);
    EnableDlgItem(IDCANCEL, false);
    EnableDlgItem(IDC_CONTACT_INFO, false);
    ClearRunStatusLines();

    if (!CheckHexFile() || !ConvertHexToImage()) {
        // The check or the conversion has said why.
        EndRun(RunOutcome::Failed);
    } else {
        BorrowPortFromTestProgram(portNumber);
        SendPageImage();
        ReturnPortToTestProgram();
    }

    EnablePortButtons();
    EnableDlgItem(IDC_BEGIN_UPDATE, true);
    EnableDlgItem(IDCANCEL, true);
    EnableDlgItem(IDC_CONTACT_INFO, true);
}

void CUpdateWindow::SendPageImage()
{
    const std::string caption = texts::kUpdateErrorCaption;
    const std::string failed = texts::kUpdateFailed;
    const std::string failureText = texts::UpdateFailureText();
    TickClock& clock = m_services.clock;

    const int portNumber = ChosenPort();
    if (!m_port.Open(portNumber, Variant()->baud, 'N', 8, 1)) {
        SetDlgItemText(IDC_RESULT, failed);
        m_runCause = RunCause::PortNotOpened;
        EndRun(RunOutcome::Failed);
        MessageBox(texts::FormatText(texts::kCannotOpenPort, portNumber), caption, MB_ICONEXCLAMATION);
        return;
    }
    auto failBeforeTransfer = [&](const char* message) {
        m_port.Close();
        SetDlgItemText(IDC_RESULT, failed);
        EndRun(RunOutcome::Failed);
        MessageBox(message + failureText, caption, MB_ICONEXCLAMATION);
    };

    WaitMs(kPowerUpPauseMs);
    switch (GreetOnOpenPort(0, kReadyTimeoutMs, kReady)) {
    case Greeting::Ready: break;
    case Greeting::NoVersion: failBeforeTransfer(texts::kNoVersionResponse); return;
    case Greeting::InvalidVersion: failBeforeTransfer(texts::kInvalidVersionResponse); return;
    case Greeting::NoReady: failBeforeTransfer(texts::kNoReadyResponse); return;
    case Greeting::InvalidReady: failBeforeTransfer(texts::kInvalidReadyResponse); return;
    }

    const PageTransferSettings settings;   // 128-byte pages with their pauses
    // Held from here to the end of the transfer; let go of before any message.
    std::optional<PageImage> image = LoadPageImageForRun(settings.pageSize);
    if (!image) {
        m_port.Close();
        FinishTransfer();
        EndRun(RunOutcome::Failed);
        MessageBox(texts::kCannotOpenImage, caption, MB_OK);
        return;
    }

    const PagesOutcome outcome = SendPages(image->Bytes(), settings);
    if (outcome != PagesOutcome::AllAccepted) {
        if (outcome == PagesOutcome::NoAnswer)
            m_port.Close();
        image->Close();
        FinishTransfer();
        SetDlgItemText(IDC_RESULT, failed);
        EndRun(RunOutcome::Failed);
        MessageBox((outcome == PagesOutcome::NoAnswer ? texts::kNoPageResponse : texts::kInvalidPageResponse) +
                       failureText,
                   caption, MB_ICONEXCLAMATION);
        return;
    }

    SendEndMarker();
    WaitMs(kAfterEndMarkerMs);
    image->Close();
    SaveChosenPort();

    // The boot loader may say goodbye; its byte is not looked at.
    WaitForByte(m_port, clock, kClosingWaitMs);

    FinishTransfer();
    SetDlgItemText(IDC_RESULT, texts::kUpdateSucceeded);
    EndRun(RunOutcome::Updated);
    MessageBox(texts::kUpdateCompleteMessage, texts::kUpdateCompleteCaption, MB_ICONINFORMATION);
}

} // namespace tvqx
