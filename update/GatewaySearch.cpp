// The radio gateway's speed is not known in advance: it is set on the
// gateway itself. The search opens the port at each speed in turn and asks
// the gateway who it is.

#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "update/PageUpdateTexts.h"
#include "update/RadioLink.h"
#include "update/RowUpdateTexts.h"

#include <array>
#include <cstring>
#include <string>

namespace tvqx {

namespace {

constexpr uint32_t kBeforeIdentifyMs = 500;
constexpr const char* kIdentifyCommand = "<V";
constexpr uint32_t kIdentifyTimeoutMs = 2000;
// Bytes beyond this are read and dropped; the answer can then no longer
// match and the wait runs into its time-out.
constexpr size_t kAnswerBufferSize = 25;

// True when one of `answers` arrives, exactly, within the time-out from now.
bool GatewayAnswered(CRS232& port, TickClock& clock, std::span<const char* const> answers)
{
    std::array<char, kAnswerBufferSize> answer{};
    size_t count = 0;
    const uint32_t start = clock.GetTickCount();
    while (clock.GetTickCount() - start < kIdentifyTimeoutMs) {
        if (port.BytesWaiting() == 0) {
            port.RestUntilInput();
            continue;
        }
        char byte = 0;
        if (port.Read(&byte, 1) != 1) {
            clock.Idle();
            continue;
        }
        if (count == answer.size())
            continue;
        answer[count++] = byte;
        for (const char* accepted : answers)
            if (std::strlen(accepted) == count && std::memcmp(answer.data(), accepted, count) == 0)
                return true;
    }
    return false;
}

} // namespace

int CTVQX_UpdateDlg::FindGateway(const RadioLinkVariant& variant, int portNumber)
{
    for (int baud : kGatewaySpeeds) {
        if (!OpenPortBorrowingOnce(portNumber, baud)) {
            MessageBox(texts::FormatText(texts::kCannotOpenPort, portNumber), texts::kUpdateErrorCaption,
                       MB_ICONEXCLAMATION);
            ReturnPortToTestProgram();
            return 0;
        }
        WaitMs(kBeforeIdentifyMs);
        SendSixEscapes(m_port);
        m_port.WriteString(kIdentifyCommand);
        if (GatewayAnswered(m_port, m_services.clock, variant.gatewayAnswers))
            return baud;
        m_port.Close();
    }

    const std::string text = std::string(texts::kCannotFindDevice) + product::kGatewayName + ".";
    SetDlgItemText(IDC_RESULT, text);
    MessageBox(text + texts::kFifteenBlanks, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
    ReturnPortToTestProgram();
    EnablePortButtons();
    return 0;
}

} // namespace tvqx
