// Variant 2: no waiting. If the device's application is running (it drives
// DSR), it is asked who it is and told to hand over to its boot loader, which
// drops DSR; then the row transfer runs at once at the boot loader's speed.

#include "app/ProductInfo.h"
#include "update/DeviceWaits.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <optional>

namespace tvqx {

namespace {

constexpr int kApplicationBaud = 9600;
constexpr const char* kIdentifyCommand = "<V";
constexpr const char* kHandOverCommand = "<W";
constexpr uint32_t kApplicationTimeoutMs = 2000;
constexpr const char* kApplicationAnswers[] = {product::kApplicationAnswer};
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

void CUpdateWindow::BeginUpdateVariant2()
{
    CWaitCursor wait(m_ui);
    TickClock& clock = m_services.clock;
    if (!CheckHexFile()) {
        EndRun(RunOutcome::Failed);
        return;
    }
    ClearRunStatusLines();

    const int portNumber = ChosenPort();
    if (!OpenPortBorrowingOnce(portNumber, kApplicationBaud)) {
        const std::string message = texts::FormatText(texts::kCannotOpenPortWide, portNumber);
        SetDlgItemText(IDC_RESULT, message);
        EndRun(RunOutcome::Failed);
        MessageBox(message, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
        ReturnPortToTestProgram();
        return;
    }
    DisableOtherPorts(portNumber);

    auto fail = [&](const char* message) {
        m_port.Close();
        const std::string text = message + std::string(texts::kDeviceName) + ".";
        SetDlgItemText(IDC_RESULT, text);
        EndRun(RunOutcome::Failed);
        MessageBox(text + texts::kFifteenBlanks, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
        ReturnPortToTestProgram();
        EnablePortButtons();
    };

    // A failed call counts as DSR off: the device is taken to be in its boot
    // loader already.
    if (Dsr(m_port).value_or(false)) {
        m_port.WriteString(kIdentifyCommand);
        if (!WaitForExactAnswer(m_port, clock, kApplicationAnswers, kApplicationTimeoutMs)) {
            fail(texts::kCannotFindDevice);
            return;
        }

        m_port.WriteString(kHandOverCommand);
        bool handedOver = false;
        const uint32_t start = clock.GetTickCount();
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

    m_port.ChangeSettings(Variant()->baud, 'N', '8');
    OnBootLoaderReady(0, 0);
    ReturnPortToTestProgram();
}

} // namespace tvqx
