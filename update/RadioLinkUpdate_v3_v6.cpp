// The radio variants: the unit to update is a remote unit, reached through
// the radio gateway on the COM port. Find the gateway, set its radio up, and
// ask the remote unit's boot loader whether it hears us; if not, get the
// remote unit's parameters from the user (the rover module dialog) and
// configure both ends of the link. Then the firmware goes over the link as
// the wired variants send it, and the gateway is left as it was found.

#include "update/RadioLink.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <optional>

namespace tvqx {

namespace {

constexpr uint32_t kBeforeConfigurationMs = 500;
constexpr uint32_t kBeforeProbeMs = 500;
constexpr uint32_t kProbeTimeoutMs = 500;
constexpr uint32_t kLeavePauseMs = 500;

// True when the remote unit's boot loader answers the probe over the link.
bool RemoteBootLoaderAnswers(CRS232& port, const RadioLinkVariant& variant)
{
    port.WriteByte(variant.probe);
    uint8_t answer = 0;
    return port.ReadCount(&answer, 1, kProbeTimeoutMs) == 1 && answer == variant.probeAnswer;
}

enum class Farewell {
    Leave,                // "<W"
    EscapeAndLeave,       // six ESC, "<W"
    StopListeningAndLeave // six ESC, "<RN", "<W"
};

// Leaves the gateway as the next run (or the serial test program) expects
// to find it, and closes the port.
void LeaveGateway(CRS232& port, TickClock& clock, Farewell farewell)
{
    if (farewell != Farewell::Leave) {
        SpinFor(clock, kLeavePauseMs);
        SendSixEscapes(port);
    }
    if (farewell == Farewell::StopListeningAndLeave)
        port.WriteString("<RN");
    port.WriteString("<W");
    SpinFor(clock, kLeavePauseMs);
    port.Close();
}

} // namespace

void CUpdateWindow::BeginUpdateVariant3()
{
    RunRadioLinkUpdate(RadioLinkVariant3());
}

void CUpdateWindow::BeginUpdateVariant6()
{
    RunRadioLinkUpdate(RadioLinkVariant6());
}

void CUpdateWindow::RunRadioLinkUpdate(const RadioLinkVariant& variant)
{
    CWaitCursor wait(m_ui);
    TickClock& clock = m_services.clock;
    // Over the radio the pace is set by the link, not by pauses of ours.
    m_rowPauseMs = 0;
    if (!CheckHexFile() || (Variant()->makesImage && !ConvertHexToImage())) {
        EndRun(RunOutcome::Failed);
        return;
    }
    ClearRunStatusLines();

    const int portNumber = ChosenPort();
    const int baud = FindGateway(variant, portNumber);
    if (baud == 0)
        return;
    DisableOtherPorts(portNumber);

    SetUpGatewayRadio(m_port, clock, variant);
    if (!RemoteBootLoaderAnswers(m_port, variant)) {
        // The link is not set up for this remote unit (yet).
        PrepareGatewayForSetup(m_port, clock, variant);
        const std::optional<RemoteUnit> remote = AskForRemoteUnit(m_port);
        if (!remote) {
            LeaveGateway(m_port, clock, Farewell::StopListeningAndLeave);
            ReturnPortToTestProgram();
            EnablePortButtons();
            EndRun(RunOutcome::Cancelled);
            return;
        }
        WaitMs(kBeforeConfigurationMs);
        m_port.PurgeInput();
        if (!ConfigureLinkEnds(m_port, clock, variant, *remote)) {
            LeaveGateway(m_port, clock, Farewell::Leave);
            const std::string text = texts::LinkConfigurationFailedText(remote->moduleId);
            ReportRadioFailure(text, text);
            return;
        }
    }

    WaitMs(kBeforeProbeMs);
    if (!RemoteBootLoaderAnswers(m_port, variant)) {
        LeaveGateway(m_port, clock, Farewell::EscapeAndLeave);
        const std::string text = texts::NoRemoteBootLoaderText();
        ReportRadioFailure(text, text + texts::kFifteenBlanks);
        return;
    }

    // The transfer, with the window's buttons locked while it dispatches
    // messages between pages or rows (Done there would pull the port from
    // under it). It closes the port when it ends, whichever way; the gateway
    // still relays to the remote unit and has to be told to stop.
    OnBootLoaderReady(0, 0);
    BorrowPortFromTestProgram(portNumber);
    m_port.Open(portNumber, baud, 'N', 8, 1);
    LeaveGateway(m_port, clock, Farewell::EscapeAndLeave);
    EnablePortButtons();
    ReturnPortToTestProgram();
}

void CUpdateWindow::ReportRadioFailure(const std::string& resultText, const std::string& boxText)
{
    SetDlgItemText(IDC_RESULT, resultText);
    EndRun(RunOutcome::Failed);
    MessageBox(boxText, texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
    ReturnPortToTestProgram();
    EnablePortButtons();
}

} // namespace tvqx
