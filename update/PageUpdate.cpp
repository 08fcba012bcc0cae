// The page boot-loader protocol: wake the boot loader, check its version and
// send the page image page by page, each with its number and checksum.

#include "app/FirmwareTexts.h"
#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "platform/File.h"
#include "update/PageUpdateTexts.h"

#include <array>
#include <cstdio>
#include <cstring>
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

} // namespace texts

namespace {

constexpr int kBaud = 9600;
constexpr uint32_t kPowerUpPauseMs = 500;
constexpr const char* kEntryCommand = "~#&TV-QX-R-205-7.31";
constexpr const char* kExpectedVersion = "TVQXR-1-4.00";
constexpr size_t kVersionLength = 12;
constexpr uint32_t kVersionTimeoutMs = 3000;
constexpr uint32_t kReadyTimeoutMs = 1000;
constexpr uint8_t kReady = '!';
constexpr uint8_t kResend = '@';
constexpr uint8_t kCR = 0x0D;
constexpr size_t kPageSize = 128;
// The boot loader's addresses are 16 bits wide: 512 pages at most.
constexpr size_t kLargestImage = 65536;
constexpr int kMaxSendsPerPage = 5;
constexpr uint32_t kAfterPageNumberMs = 20;
constexpr uint32_t kAfterPageDataMs = 10;
constexpr uint32_t kAfterChecksumMs = 20;
constexpr uint32_t kPageAnswerTimeoutMs = 3000;
constexpr uint32_t kAfterEndMarkerMs = 20;
constexpr uint32_t kClosingWaitMs = 1000;
// The version answer is collected into a buffer of this size; an answer that
// runs on without its CR is refused once it would overflow.
constexpr size_t kVersionBufferSize = 100;

std::string Format(const char* format, int value)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The whole image, or nothing when it cannot be opened or read, or cannot be
// sent whole.
std::optional<std::vector<uint8_t>> LoadImage(const std::string& path)
{
    std::optional<File> file = File::OpenReadWrite(path);
    if (!file)
        return std::nullopt;
    const int64_t length = file->GetLength();
    if (length < 0 || static_cast<uint64_t>(length) > kLargestImage || !file->Seek(0))
        return std::nullopt;
    std::vector<uint8_t> image(static_cast<size_t>(length));
    if (file->Read(image.data(), image.size()) != static_cast<std::ptrdiff_t>(image.size()))
        return std::nullopt;
    return image;
}

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
        MessageBox(Format(texts::kCannotOpenPort, portNumber), caption, MB_ICONEXCLAMATION);
        return;
    }
    auto failBeforeTransfer = [&](const char* message) {
        m_port.Close();
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(message + failureText, caption, MB_ICONEXCLAMATION);
    };

    WaitMs(kPowerUpPauseMs);
    m_port.WriteString(kEntryCommand);

    // The version answer: exactly twelve characters, then CR, all within the
    // time-out counted from the entry command.
    std::array<char, kVersionBufferSize> answer{};
    size_t answerLength = 0;
    uint32_t start = clock.GetTickCount();
    for (;;) {
        if (clock.GetTickCount() - start >= kVersionTimeoutMs) {
            failBeforeTransfer(texts::kNoVersionResponse);
            return;
        }
        if (m_port.BytesWaiting() == 0) {
            clock.Idle();
            continue;
        }
        uint8_t byte = 0;
        bool error = false;
        if (m_port.Read(&byte, 1) != 1) {
            byte = 0;
            error = true;
        }
        if (byte == kCR) {
            if (answerLength == kVersionLength && std::memcmp(answer.data(), kExpectedVersion, kVersionLength) == 0)
                break;
            error = true;
        }
        if (answerLength == answer.size())
            error = true;
        if (error) {
            failBeforeTransfer(texts::kInvalidVersionResponse);
            return;
        }
        answer[answerLength++] = static_cast<char>(byte);
    }
    char versionLine[96];
    std::snprintf(versionLine, sizeof versionLine, texts::kBootLoaderVersion,
                  std::string(answer.data(), kVersionLength).c_str());
    SetDlgItemText(IDC_BOOTLOADER_VERSION, versionLine);

    // The ready byte: the first byte to arrive decides.
    start = clock.GetTickCount();
    for (;;) {
        if (clock.GetTickCount() - start >= kReadyTimeoutMs) {
            failBeforeTransfer(texts::kNoReadyResponse);
            return;
        }
        if (m_port.BytesWaiting() == 0) {
            clock.Idle();
            continue;
        }
        uint8_t byte = 0;
        if (m_port.Read(&byte, 1) == 1 && byte == kReady)
            break;
        failBeforeTransfer(texts::kInvalidReadyResponse);
        return;
    }

    const std::optional<std::vector<uint8_t>> image = LoadImage(m_tempDir + texts::kImageFileName);
    if (!image) {
        m_port.Close();
        FinishTransfer();
        MessageBox(texts::kCannotOpenImage, caption, MB_OK);
        return;
    }
    auto failDuringTransfer = [&](const char* message) {
        FinishTransfer();
        SetDlgItemText(IDC_RESULT, failed);
        MessageBox(message + failureText, caption, MB_ICONEXCLAMATION);
    };

    // A trailing part shorter than a page is never sent.
    const uint32_t pageCount = static_cast<uint32_t>(image->size() / kPageSize);
    uint32_t pageIndex = 0;
    int resendCount = 0;
    while (pageIndex < pageCount) {
        char progress[96];
        std::snprintf(progress, sizeof progress, texts::kSendingPage, static_cast<int>(pageIndex + 1),
                      static_cast<int>(pageCount));
        SetDlgItemText(IDC_PROGRESS, progress);
        if (pageIndex % 4 == 0) {
            InvalidateRect(false);
            UpdateWindow();
        }
        // Keep the window alive: one message per pass.
        PostMessage(WM_PAINT, 0, 0);
        m_ui.PumpMessage();

        const uint8_t* page = image->data() + static_cast<size_t>(pageIndex) * kPageSize;
        m_port.WriteByte(static_cast<int>((pageIndex >> 8) & 0xFF));
        m_port.WriteByte(static_cast<int>(pageIndex & 0xFF));
        WaitMs(kAfterPageNumberMs);
        m_port.WriteBuffer(page, static_cast<int>(kPageSize));
        WaitMs(kAfterPageDataMs);
        uint8_t checksum = 0;
        for (size_t i = 0; i < kPageSize; ++i)
            checksum = static_cast<uint8_t>(checksum + page[i]);
        m_port.WriteByte(checksum);
        WaitMs(kAfterChecksumMs);

        start = clock.GetTickCount();
        for (;;) {
            if (clock.GetTickCount() - start >= kPageAnswerTimeoutMs) {
                m_port.Close();
                failDuringTransfer(texts::kNoPageResponse);
                return;
            }
            if (m_port.BytesWaiting() != 0)
                break;
            clock.Idle();
        }
        // Only one byte is taken; anything behind it answers the next page.
        uint8_t answerByte = 0;
        if (m_port.Read(&answerByte, 1) != 1)
            answerByte = 0;
        if (answerByte == kReady) {
            resendCount = 0;
            ++pageIndex;
            continue;
        }
        if (answerByte == kResend && ++resendCount < kMaxSendsPerPage)
            continue;
        failDuringTransfer(texts::kInvalidPageResponse);
        return;
    }

    m_port.WriteByte(0xFF);
    m_port.WriteByte(0xFF);
    WaitMs(kAfterEndMarkerMs);
    m_services.profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, m_port.GetPortNumber());

    // The boot loader may say goodbye; its byte is not looked at.
    start = clock.GetTickCount();
    while (clock.GetTickCount() - start < kClosingWaitMs) {
        if (m_port.BytesWaiting() != 0) {
            uint8_t goodbye = 0;
            m_port.Read(&goodbye, 1);
            break;
        }
        clock.Idle();
    }

    FinishTransfer();
    SetDlgItemText(IDC_RESULT, texts::kUpdateSucceeded);
    MessageBox(texts::kUpdateCompleteMessage, texts::kUpdateCompleteCaption, MB_ICONINFORMATION);
}

} // namespace tvqx
