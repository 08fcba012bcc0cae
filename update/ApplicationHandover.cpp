// Variant 2: no waiting. If the device's application is running (it drives
// DSR), it is asked who it is and told to hand over to its boot loader, which
// drops DSR; then the row transfer runs at once at the boot loader's speed.

#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "update/PageUpdateTexts.h"
#include "update/RowUpdateTexts.h"

#include <array>
#include <cstring>
#include <optional>

namespace tvqx {

namespace {

constexpr int kApplicationBaud = 9600;
constexpr int kBootLoaderBaud = 115200;
constexpr const char* kIdentifyCommand = "<V";
constexpr const char* kHandOverCommand = "<W";
constexpr uint32_t kApplicationTimeoutMs = 2000;
// Bytes beyond this are read and dropped: the answer can then no longer
// match, and the wait runs into its time-out.
constexpr size_t kAnswerBufferSize = 25;
static_assert(sizeof(product::kApplicationAnswer) - 1 <= kAnswerBufferSize);

// DSR as the modem status shows it; nothing when the call fails (a port
// without modem lines).
std::optional<bool> Dsr(CRS232& port)
{
    uint32_t status = 0;
    if (port.GetModemStatus(&status) == 0)
        return std::nullopt;
    return (status & MS_DSR_ON) != 0;
}

} // namespace

void CTVQX_UpdateDlg::BeginUpdateVariant2()
{
    CWaitCursor wait(m_ui);
    TickClock& clock = m_services.clock;
    if (!CheckHexFile())
        return;
    SetDlgItemText(IDC_BOOTLOADER_VERSION, "");
    SetDlgItemText(IDC_PROGRESS, "");
    SetDlgItemText(IDC_RESULT, "");

    const int portNumber = GetCheckedRadioButton(IDC_COM1, IDC_COM22) - 2000;
    if (!OpenPortBorrowingOnce(portNumber, kApplicationBaud)) {
        const std::string message = texts::FormatText(texts::kCannotOpenPortWide, portNumber);
        SetDlgItemText(IDC_RESULT, message);
        MessageBox(message, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
        ReturnPortToTestProgram();
        return;
    }
    for (int i = 0; i < 22; ++i)
        if (i + 1 != portNumber)
            EnableDlgItem(IDC_COM1 + i, false);

    auto fail = [&](const char* message) {
        m_port.Close();
        const std::string text = message + std::string(texts::kDeviceName) + ".";
        SetDlgItemText(IDC_RESULT, text);
        MessageBox(text + texts::kFifteenBlanks, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
        ReturnPortToTestProgram();
        EnablePortButtons();
    };

    // A failed call counts as DSR off: the device is taken to be in its boot
    // loader already.
    if (Dsr(m_port).value_or(false)) {
        const std::string expected = product::kApplicationAnswer;
        std::array<char, kAnswerBufferSize> answer{};
        size_t stored = 0;
        bool identified = false;
        m_port.WriteString(kIdentifyCommand);
        uint32_t start = clock.GetTickCount();
        while (!identified && clock.GetTickCount() - start < kApplicationTimeoutMs) {
            if (m_port.BytesWaiting() == 0) {
                m_port.RestUntilInput();
                continue;
            }
            char byte = 0;
            if (m_port.Read(&byte, 1) != 1 || stored == answer.size())
                continue;
            answer[stored++] = byte;
            identified = stored == expected.size() && std::memcmp(answer.data(), expected.data(), stored) == 0;
        }
        if (!identified) {
            fail(texts::kCannotFindDevice);
            return;
        }

        m_port.WriteString(kHandOverCommand);
        bool handedOver = false;
        start = clock.GetTickCount();
        while (!handedOver && clock.GetTickCount() - start < kApplicationTimeoutMs) {
            handedOver = Dsr(m_port) == false;
            if (!handedOver)
                clock.Idle();
        }
        if (!handedOver) {
            fail(texts::kInvalidResponse);
            return;
        }
    }

    m_port.ChangeSettings(kBootLoaderBaud, 'N', '8');
    OnBootLoaderReady(0, 0);
    ReturnPortToTestProgram();
}

} // namespace tvqx
