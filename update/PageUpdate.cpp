// The page boot-loader protocol: wake the boot loader, check its version and
// send the page image page by page, each with its number and checksum.

#include "app/FirmwareTexts.h"
#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
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

constexpr int kBaud = 9600;
constexpr uint32_t kPowerUpPauseMs = 500;
constexpr uint32_t kReadyTimeoutMs = 1000;
constexpr uint8_t kReady = '!';
constexpr uint32_t kAfterEndMarkerMs = 20;
constexpr uint32_t kClosingWaitMs = 1000;

} // namespace

void CTVQX_UpdateDlg::SendPageImage()
{
    const std::string caption = texts::kUpdateErrorCaption;
    const std::string failed = texts::kUpdateFailed;
    const std::string failureText = texts::UpdateFailureText();
    TickClock& clock = m_services.clock;

    const int portNumber = GetCheckedRadioButton(IDC_COM1, IDC_COM22) - 2000;
    if (!m_port.Open(portNumber, kBaud, 'N', 8, 1)) {
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(texts::FormatText(texts::kCannotOpenPort, portNumber), caption, MB_ICONEXCLAMATION);
        return;
    }
    auto failBeforeTransfer = [&](const char* message) {
        m_port.Close();
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(message + failureText, caption, MB_ICONEXCLAMATION);
    };

    WaitMs(kPowerUpPauseMs);
    m_port.WriteString(kBootEntryCommand);

    const VersionAnswer version = ReadVersionAnswer(m_port, clock, kVersionTimeoutMs);
    if (version.outcome != VersionAnswer::Outcome::Accepted) {
        failBeforeTransfer(version.outcome == VersionAnswer::Outcome::NoAnswer ? texts::kNoVersionResponse
                                                                                : texts::kInvalidVersionResponse);
        return;
    }
    SetDlgItemText(IDC_BOOTLOADER_VERSION, texts::FormatText(texts::kBootLoaderVersion, version.text));

    // The ready byte: the first byte to arrive decides.
    const DeviceByte ready = WaitForByte(m_port, clock, kReadyTimeoutMs);
    if (!ready.Is(kReady)) {
        failBeforeTransfer(ready.TimedOut() ? texts::kNoReadyResponse : texts::kInvalidReadyResponse);
        return;
    }

    const PageTransferSettings settings;   // 128-byte pages with their pauses
    // Held from here to the end of the transfer; let go of before any message.
    std::optional<PageImage> image = LoadPageImage(m_tempDir + texts::kImageFileName, settings.pageSize);
    if (!image) {
        m_port.Close();
        FinishTransfer();
        MessageBox(texts::kCannotOpenImage, caption, MB_OK);
        return;
    }

    switch (SendPages(image->Bytes(), settings)) {
    case PagesOutcome::AllAccepted:
        break;
    case PagesOutcome::NoAnswer:
        m_port.Close();
        image->Close();
        FinishTransfer();
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(texts::kNoPageResponse + failureText, caption, MB_ICONEXCLAMATION);
        return;
    case PagesOutcome::InvalidAnswer:
        image->Close();
        FinishTransfer();
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(texts::kInvalidPageResponse + failureText, caption, MB_ICONEXCLAMATION);
        return;
    }

    m_port.WriteByte(kEndMarkerByte);
    m_port.WriteByte(kEndMarkerByte);
    WaitMs(kAfterEndMarkerMs);
    image->Close();
    m_services.profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, m_port.GetPortNumber());

    // The boot loader may say goodbye; its byte is not looked at.
    WaitForByte(m_port, clock, kClosingWaitMs);

    FinishTransfer();
    SetDlgItemText(IDC_RESULT, texts::kUpdateSucceeded);
    MessageBox(texts::kUpdateCompleteMessage, texts::kUpdateCompleteCaption, MB_ICONINFORMATION);
}

} // namespace tvqx
