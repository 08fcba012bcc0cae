// The page boot-loader protocol: wake the boot loader, check its version and
// send the page image page by page, each with its number and checksum.

#include "firmware/FirmwareTexts.h"
#include "app/ProductInfo.h"
#include "update/UpdateWindow.h"
#include "platform/File.h"
#include "update/DeviceWaits.h"
#include "update/PageTransfer.h"
#include "update/PageUpdateTexts.h"

#include <cstdio>
#include <optional>

namespace tvqx {

namespace texts {

std::string UpdateFailureText()
{
    std::string text = "\n\n";
    text += "Firmware update terminated.\n";
    text += "\n";
    text += "If some of the hex file was transferred, the\n";
    text += "firmware in the Tollvane QX may be corrupt.\n";
    text += "\n";
    text += "You should retry the firmware update procedure.\n";
    text += "\n";
    text += "If you continue to have problems, contact Ostrale          \n";
    text += "customer support at:\n";
    text += std::string("     ") + product::kSupportPhone + "\n";
    text += std::string("     ") + product::kSupportEmail + "\n";
    text += std::string("     ") + product::kWebSite + "\n";
    text += std::string("     ") + "Office hours " + product::kOfficeHours + "\n";
    text += "\n";
    return text;
}

std::string FormatText(const char* format, int value)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string FormatText(const char* format, int first, int second)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, first, second);
    return buffer;
}

std::string FormatText(const char* format, const std::string& value)
{
    const int size = std::snprintf(nullptr, 0, format, value.c_str());
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value.c_str());
    return text;
}

} // namespace texts

namespace {

constexpr uint32_t kPowerUpPauseMs = 500;
constexpr uint32_t kReadyTimeoutMs = 1000;
constexpr uint8_t kReady = '!';
constexpr uint32_t kAfterEndMarkerMs = 20;
constexpr uint32_t kClosingWaitMs = 1000;

} // namespace

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
