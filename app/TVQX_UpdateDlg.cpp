#include "app/TVQX_UpdateDlg.h"

#include "app/RoverModuleDlg.h"
#include "app/AboutDlg.h"
#include "app/DialogTemplates.h"
#include "app/WindowPlacement.h"
#include "app/MainWindowTexts.h"
#include "platform/File.h"
#include "platform/PathText.h"

namespace tvqx {

CTVQX_UpdateDlg::CTVQX_UpdateDlg(ProgramServices& services)
    : CUpdateWindow(MainWindowTemplate(), services)
{
    OnMessage(WM_SYSCOMMAND, [this](WPARAM w, LPARAM l) {
        OnSysCommand(static_cast<UINT>(w), l);
        return LRESULT(0);
    });
    OnMessage(WM_PAINT, [this](WPARAM, LPARAM) {
        OnPaint();
        return LRESULT(0);
    });
    OnMessage(WM_QUERYDRAGICON, [this](WPARAM, LPARAM) { return LRESULT(OnQueryDragIcon()); });
    OnCommand(IDOK, [this] { OnOK(); });
    OnCommand(IDCANCEL, [this] { OnDone(); });
    OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) {
        OnDestroy();
        return LRESULT(0);
    });
    OnCommand(IDC_REFRESH_PORTS, [this] { OnRefreshSerialPorts(); });
    OnCommand(IDC_CONTACT_INFO, [this] { OnContactInfo(); });
    OnCommand(IDC_DETAILED_INSTRUCTIONS, [this] { OnDetailedInstructions(); });
}

CTVQX_UpdateDlg::~CTVQX_UpdateDlg() = default;

BOOL CTVQX_UpdateDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(texts::kMainCaption);

    if (SystemMenu* menu = GetSystemMenu()) {
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, texts::kAboutMenuItem);
    }
    SetIcon(m_hIcon, true);

    PlaceInUpperQuarter(*this);

    m_statusFont = FontSpec{texts::kStatusFontFace, 90, 700};
    SetDlgItemText(IDC_INSTRUCTIONS, texts::kInstructions);

    m_hexRowCount = 0;
    ReadFirmwareDescription();

    ShowDlgItem(IDC_DETAILED_INSTRUCTIONS, false);
    SetDlgItemText(IDC_SUPPORT_GROUP, texts::kSupportGroup);

    OnRefreshSerialPorts();

    m_waitingForBootLoader = 0;
    m_bootLoaderAwake = 0;
    m_timerId = SetTimer(kMainTimerId, kMainTimerPeriodMs);
    return TRUE;
}

void CTVQX_UpdateDlg::OnOK()
{
    // Enter with no push button focused must not end the window.
}

ControlLook CTVQX_UpdateDlg::OnCtlColor(int controlId, const ControlLook& defaultLook)
{
    ControlLook look = defaultLook;
    if (controlId == IDC_PRODUCT_LINE || (controlId == IDC_RESULT && m_waitingForBootLoader == 1)) {
        look.custom = true;
        look.font = m_statusFont;
        look.textColor = RGB(192, 0, 0);
        look.transparentBackground = true;
    }
    return look;
}

void CTVQX_UpdateDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(m_ui, m_services.shell);
        about.DoModal();
        return;
    }
    DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CTVQX_UpdateDlg::OnPaint()
{
    // Default painting: the backend draws the controls, and the application
    // icon centred in the client area while the window is minimised.
}

void CTVQX_UpdateDlg::OnDone()
{
    m_port.Close();   // drops DTR and RTS: the device loses its power
    ReturnPortToTestProgram();
    CDialog::OnCancel();
}

void CTVQX_UpdateDlg::OnDestroy()
{
    if (m_timerId != 0)
        KillTimer(kMainTimerId);
    m_port.Close();
}

void CTVQX_UpdateDlg::OnContactInfo()
{
    CAboutDlg about(m_ui, m_services.shell);
    about.DoModal();
}

void CTVQX_UpdateDlg::OnDetailedInstructions()
{
    const std::string caption = texts::kDetailedInstructionsCaption;
    const std::string path = m_programDir + texts::INSTRUCTIONS_DOCUMENT;
    if (PathLength(path) >= 260 || !FileExists(path)) {
        MessageBox(std::string(texts::kInstructionsMissing) + "\n" + path + "     ", caption, MB_ICONEXCLAMATION);
        return;
    }
    if (!m_services.shell.Open(path))
        MessageBox(texts::kViewerMissing, caption, MB_ICONEXCLAMATION);
}

std::optional<RemoteUnit> CTVQX_UpdateDlg::AskForRemoteUnit(CRS232& port)
{
    // The dialog reads the remote unit's line from the open port.
    CRover_Module_ID_Dlg dialog(m_ui, m_services.clock);
    dialog.m_pPort = &port;
    if (dialog.DoModal() != IDOK)
        return std::nullopt;
    return RemoteUnit{dialog.m_moduleId, dialog.m_serialHighValue, dialog.m_serialLowValue, dialog.m_panIdValue,
                      dialog.m_rfChannelValue};
}

} // namespace tvqx
