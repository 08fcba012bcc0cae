// The radio gateway's speed is not known in advance: it is set on the
// gateway itself. The search opens the port at each speed in turn and asks
// the gateway who it is.

#include "app/ProductInfo.h"
#include "update/DeviceWaits.h"
#include "update/RadioLink.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <string>

namespace tvqx {

namespace {

constexpr uint32_t kBeforeIdentifyMs = 500;
constexpr const char* kIdentifyCommand = "<V";
constexpr uint32_t kIdentifyTimeoutMs = 2000;

} // namespace

int CUpdateWindow::FindGateway(const RadioLinkVariant& variant, int portNumber)
{
    for (int baud : kGatewaySpeeds) {
        if (!OpenPortBorrowingOnce(portNumber, baud)) {
            EndRun(RunOutcome::Failed);
            MessageBox(texts::FormatText(texts::kCannotOpenPort, portNumber), texts::kUpdateErrorCaption,
                       MB_ICONEXCLAMATION);
            ReturnPortToTestProgram();
            return 0;
        }
        WaitMs(kBeforeIdentifyMs);
        SendSixEscapes(m_port);
        m_port.WriteString(kIdentifyCommand);
        if (WaitForExactAnswer(m_port, m_services.clock, variant.gatewayAnswers, kIdentifyTimeoutMs))
            return baud;
        m_port.Close();
    }

    const std::string text = std::string(texts::kCannotFindDevice) + product::kGatewayName + ".";
    SetDlgItemText(IDC_RESULT, text);
    EndRun(RunOutcome::Failed);
    MessageBox(text + texts::kFifteenBlanks, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
    ReturnPortToTestProgram();
    EnablePortButtons();
    return 0;
}

} // namespace tvqx
