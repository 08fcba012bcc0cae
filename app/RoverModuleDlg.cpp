#include "app/RoverModuleDlg.h"

#include "app/DialogTemplates.h"
#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/WindowPlacement.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace tvqx {

namespace {

constexpr const char* kDialogTitle = "Tollvane Rover Module Update";
constexpr const char* kPromptFontFace = "Microsoft Sans Serif";
constexpr int kPromptFontTenthsPt = 90;
constexpr int kPromptFontWeight = 700;
constexpr COLORREF kPromptColour = RGB(192, 0, 0);

// The prompt is shown for 1.5 s, then hidden for a quarter of a second.
constexpr uint32_t kPromptShownMs = 1500;
constexpr uint32_t kPromptHiddenMs = 250;

constexpr uint8_t kCarriageReturn = 0x0D;

// What the parameter status line says about the last line the remote unit
// sent. The unit sends its parameters once per press of its Setup button, so
// every failure ends by asking for another press.
constexpr const char* kPressAgain = " Press the Setup button again.";
constexpr const char* kReceivedFrom = "Parameters received from Rover Module ";
constexpr const char* kNotRoverLine = "The line received is not a Rover Module parameter line.";
constexpr const char* kBadModuleId = "The Rover Module ID received is not a letter or digit.";
constexpr const char* kBadEnd = "The parameter line received does not end with its checksum.";
constexpr const char* kGarbled = "The parameters were garbled on the way (checksum error).";
constexpr const char* kOverflow = "100 characters were received without a line end and were dropped.";

bool IsHex(uint8_t c)
{
    return std::isxdigit(c) != 0;
}

int HexValue(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return std::toupper(c) - 'A' + 10;
}

// Walks a line from left to right, one expected piece at a time.
class LineCursor {
public:
    LineCursor(const uint8_t* line, int count) : m_line(line), m_count(count) {}

    bool Literal(const char* text)
    {
        const int n = static_cast<int>(std::strlen(text));
        if (m_count - m_at < n || std::memcmp(m_line + m_at, text, static_cast<size_t>(n)) != 0)
            return false;
        m_at += n;
        return true;
    }
    // Exactly `digits` hexadecimal digits, then `end` (0: the end of the line).
    bool HexField(int digits, char end, std::string& out)
    {
        int n = 0;
        while (m_at + n < m_count && IsHex(m_line[m_at + n]))
            ++n;
        if (n != digits)
            return false;
        out.assign(reinterpret_cast<const char*>(m_line + m_at), static_cast<size_t>(n));
        m_at += n;
        return end == 0 ? m_at == m_count : Char(end);
    }
    bool Char(char c)
    {
        if (m_at >= m_count || m_line[m_at] != static_cast<uint8_t>(c))
            return false;
        ++m_at;
        return true;
    }
    bool ModuleId(char& out)
    {
        if (m_at >= m_count || std::isalnum(m_line[m_at]) == 0)
            return false;
        out = static_cast<char>(m_line[m_at++]);
        return true;
    }
    int At() const { return m_at; }

private:
    const uint8_t* m_line;
    int m_count;
    int m_at = 0;
};

RoverLineReading Problem(const std::string& why)
{
    return {std::nullopt, why + kPressAgain};
}

void CopyField(char* to, size_t size, const std::string& from)
{
    std::memset(to, 0, size);
    std::memcpy(to, from.data(), std::min(from.size(), size - 1));
}

// What "%x" makes of a text; nothing readable is 0.
uint32_t ScanHex(const char* text)
{
    unsigned int value = 0;
    if (std::sscanf(text, "%x", &value) != 1)
        return 0;
    return value;
}

} // namespace

RoverLineReading ParseRoverLine(const uint8_t* line, int count)
{
    if (line == nullptr || count < 0)
        count = 0;
    LineCursor at(line, count);
    RoverParameters p;
    if (!at.Literal(product::kRoverLineStart))
        return Problem(kNotRoverLine);
    if (!at.ModuleId(p.moduleId) || !at.Char(','))
        return Problem(kBadModuleId);
    if (!at.HexField(8, ',', p.serialHigh))
        return Problem("The network S/N (high half) received is not 8 hexadecimal digits.");
    if (!at.HexField(8, ',', p.serialLow))
        return Problem("The network S/N (low half) received is not 8 hexadecimal digits.");
    if (!at.HexField(4, ',', p.panId))
        return Problem("The PAN ID received is not 4 hexadecimal digits.");
    if (!at.HexField(2, '*', p.rfChannel))
        return Problem("The RF channel received is not 2 hexadecimal digits.");
    const int star = at.At() - 1;
    std::string checksum;
    if (!at.HexField(2, 0, checksum))
        return Problem(kBadEnd);

    // The checksum covers everything between '$' and '*'.
    uint8_t sum = 0;
    for (int i = 1; i < star; ++i)
        sum ^= line[i];
    if (sum != HexValue(checksum[0]) * 16 + HexValue(checksum[1]))
        return Problem(kGarbled);
    return {p, {}};
}

CRover_Module_ID_Dlg::CRover_Module_ID_Dlg(UiBackend& ui, TickClock& clock)
    : CDialog(RoverModuleTemplate(), ui), m_clock(clock)
{
    m_rxCount = 0;
    m_promptOn = 0;
    m_promptTick = 9999;
    m_setupTimerId = 0;

    OnCommand(IDC_START_UPDATE, [this] { OnStartUpdate(); });
    OnMessage(WM_TIMER, [this](WPARAM w, LPARAM) {
        OnTimer(w);
        return LRESULT(0);
    });
    OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) {
        OnDestroy();
        return LRESULT(0);
    });
}

BOOL CRover_Module_ID_Dlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlaceInUpperQuarter(*this);

    std::string instructions;
    for (const char* part : product::kRoverInstructions)
        instructions += part;
    SetDlgItemText(IDC_PARAM_INSTRUCTIONS, instructions);

    // Asks the gateway to pass on what the remote unit sends when its Setup
    // button is pressed.
    if (m_pPort)
        m_pPort->WriteString("<RS");

    m_promptFont = FontSpec{kPromptFontFace, kPromptFontTenthsPt, kPromptFontWeight};
    SetWindowText(kDialogTitle);
    EnableDlgItem(IDC_START_UPDATE, false);
    m_setupTimerId = SetTimer(kRoverSetupTimerId, kRoverSetupTimerPeriodMs);
    return TRUE;
}

void CRover_Module_ID_Dlg::OnOK()
{
    // Enter must not take the parameters: only Start Update does.
}

ControlLook CRover_Module_ID_Dlg::OnCtlColor(int controlId, const ControlLook& defaultLook)
{
    ControlLook look = defaultLook;
    if (controlId == IDC_SETUP_PROMPT) {
        look.custom = true;
        look.font = m_promptFont;
        look.textColor = kPromptColour;
        look.transparentBackground = true;
    }
    return look;
}

void CRover_Module_ID_Dlg::OnTimer(UINT_PTR id)
{
    // The tick starts at 9999 and differences wrap, so the first tick shows
    // the prompt whatever the clock says.
    const uint32_t now = m_clock.GetTickCount();
    if (m_promptOn == 1 && now - m_promptTick > kPromptShownMs) {
        SetDlgItemText(IDC_SETUP_PROMPT, "");
        m_promptOn = 0;
        m_promptTick = now;
    }
    if (m_promptOn == 0 && now - m_promptTick > kPromptHiddenMs) {
        SetDlgItemText(IDC_SETUP_PROMPT, product::kRoverSetupPrompt);
        m_promptOn = 1;
        m_promptTick = now;
    }

    while (m_pPort && m_pPort->BytesWaiting() != 0) {
        if (m_pPort->Read(&m_rxLine[m_rxCount], 1) != 1)
            break;
        if (m_rxLine[m_rxCount] == kCarriageReturn) {
            SetDlgItemText(IDC_SETUP_PROMPT, "");
            LineReceived();
            m_rxCount = 0;
            continue;
        }
        if (++m_rxCount == static_cast<int32_t>(sizeof m_rxLine)) {
            // Not a line the remote unit sends: drop it, and give the rest
            // of the input a fresh start on the next tick.
            m_rxCount = 0;
            LineOverflowed();
            break;
        }
    }

    DefWindowProc(WM_TIMER, id, 0);
}

void CRover_Module_ID_Dlg::LineReceived()
{
    // A unit that ends its lines with CR LF starts the next one with the LF;
    // an empty line says nothing, and must not take back good parameters.
    int start = 0;
    while (start < m_rxCount && m_rxLine[start] == '\n')
        ++start;
    if (start == m_rxCount)
        return;
    const RoverLineReading reading = ParseRoverLine(m_rxLine + start, m_rxCount - start);
    if (!reading.parameters) {
        SetDlgItemText(IDC_PARAM_STATUS, reading.problem);
        ClearParameters();
        return;
    }
    const RoverParameters& p = *reading.parameters;
    SetDlgItemText(IDC_PARAM_STATUS, std::string(kReceivedFrom) + p.moduleId + ".");
    m_moduleId = p.moduleId;
    CopyField(m_serialHigh, sizeof m_serialHigh, p.serialHigh);
    CopyField(m_serialLow, sizeof m_serialLow, p.serialLow);
    CopyField(m_panId, sizeof m_panId, p.panId);
    CopyField(m_rfChannel, sizeof m_rfChannel, p.rfChannel);
    SetDlgItemText(IDC_ROVER_MODULE_ID, std::string(1, m_moduleId));
    SetDlgItemText(IDC_NETWORK_SN, std::string(m_serialHigh) + " " + m_serialLow);
    SetDlgItemText(IDC_PAN_ID, m_panId);
    SetDlgItemText(IDC_RF_CHANNEL, m_rfChannel);
    EnableDlgItem(IDC_START_UPDATE, true);
}

void CRover_Module_ID_Dlg::LineOverflowed()
{
    SetDlgItemText(IDC_PARAM_STATUS, std::string(kOverflow) + kPressAgain);
    ClearParameters();
}

void CRover_Module_ID_Dlg::ClearParameters()
{
    // Parameters from an earlier line must not be taken once a later line
    // has gone wrong: the user may have pressed Setup on another unit.
    EnableDlgItem(IDC_START_UPDATE, false);
    m_moduleId = 0;
    CopyField(m_serialHigh, sizeof m_serialHigh, "");
    CopyField(m_serialLow, sizeof m_serialLow, "");
    CopyField(m_panId, sizeof m_panId, "");
    CopyField(m_rfChannel, sizeof m_rfChannel, "");
    for (int id : {IDC_ROVER_MODULE_ID, IDC_NETWORK_SN, IDC_PAN_ID, IDC_RF_CHANNEL})
        SetDlgItemText(id, "");
}

void CRover_Module_ID_Dlg::OnStartUpdate()
{
    m_serialHigh[8] = '\0';
    m_serialHighValue = ScanHex(m_serialHigh);
    m_serialLowValue = ScanHex(m_serialLow);
    m_panIdValue = static_cast<uint16_t>(ScanHex(m_panId));
    m_rfChannelValue = static_cast<uint8_t>(ScanHex(m_rfChannel));
    CDialog::OnOK();
}

void CRover_Module_ID_Dlg::OnDestroy()
{
    DefWindowProc(WM_DESTROY, 0, 0);
    KillTimer(kRoverSetupTimerId);
}

} // namespace tvqx
