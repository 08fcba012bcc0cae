// What the window's messages mean to the dialog: control notifications,
// system menu commands, timers, posted messages, the colour rule, painting
// while minimised and the wait cursor.

#include "ui/win32/Win32DialogWindow.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {

namespace {

bool IsClickable(ControlKind kind)
{
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::AutoRadioButton;
}

// The program's own messages: the private ranges, less the three numbers at
// the start of WM_USER that the dialog manager uses itself (DM_GETDEFID,
// DM_SETDEFID, DM_REPOSITION).
bool IsProgramMessage(UINT message)
{
    return message >= WM_USER + 3 && message <= 0xFFFF;
}

} // namespace

bool Win32DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
        result = OnNotify(wParam, lParam);
        return true;
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam);
    case WM_TIMER:
        m_dialog.SendMessage(WM_TIMER, wParam, lParam);
        return true;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON: {
        const int icon = static_cast<int>(m_dialog.SendMessage(WM_QUERYDRAGICON));
        if (icon == 0)
            return false;
        result = reinterpret_cast<LRESULT>(m_backend.IconFor(icon, true));
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return OnCtlColor(message, wParam, lParam, result);
    case WM_SETCURSOR:
        if (m_backend.WaitCursorDepth() == 0)
            return false;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        result = TRUE;
        return true;
    case WM_DESTROY:
        // Torn down from outside (the owner went): the dialog hears it too.
        if (m_dialog.IsCreated())
            m_dialog.Destroy();
        return false;
    default:
        if (!IsProgramMessage(message))
            return false;
        result = m_dialog.SendMessage(message, wParam, lParam);
        return true;
    }
}

bool Win32DialogWindow::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    const int index = IndexOf(reinterpret_cast<HWND>(lParam));
    const ControlTemplate* control = index >= 0 ? &m_dialog.Template().controls[static_cast<size_t>(index)] : nullptr;
    if (control && code == BN_CLICKED && IsClickable(control->kind)) {
        // The dialog checks a radio button itself (clearing its group) and
        // then hears the command, whichever way the click came: mouse,
        // keyboard, BM_CLICK. A click the dialog refuses (a control it has
        // disabled) must not leave the button checked on screen.
        if (!m_dialog.UserClick(control->id))
            SyncAll();
        return true;
    }
    if (control && (code == EN_SETFOCUS || code == BN_SETFOCUS))
        m_dialog.FocusMovedTo(control->id);
    // Enter and Escape without such a button, notifications, menu commands.
    m_dialog.SendMessage(WM_COMMAND, wParam, 0);
    return true;
}

LRESULT Win32DialogWindow::OnNotify(WPARAM wParam, LPARAM lParam)
{
    const auto* header = reinterpret_cast<const ::NMHDR*>(lParam);
    const int index = IndexOf(header->hwndFrom);
    const int id = index >= 0 ? m_dialog.Template().controls[static_cast<size_t>(index)].id
                              : static_cast<int>(header->idFrom);
    if (header->code == EN_LINK) {
        const auto* native = reinterpret_cast<const ::ENLINK*>(lParam);
        tvqx::ENLINK link;
        link.nmhdr = {reinterpret_cast<uintptr_t>(header->hwndFrom), static_cast<UINT_PTR>(id), EN_LINK};
        link.msg = native->msg;
        link.wParam = native->wParam;
        link.lParam = native->lParam;
        link.chrg = {native->chrg.cpMin, native->chrg.cpMax};
        return m_dialog.SendMessage(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&link));
    }
    tvqx::NMHDR copy{reinterpret_cast<uintptr_t>(header->hwndFrom), static_cast<UINT_PTR>(id), header->code};
    return m_dialog.SendMessage(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&copy));
}

bool Win32DialogWindow::OnSysCommand(WPARAM wParam)
{
    // The dialog decides about Close and about what it appended itself; the
    // system moves, minimises and restores the window.
    const auto command = static_cast<UINT>(wParam);
    if ((command & 0xFFF0) == SC_CLOSE) {
        m_dialog.UserSystemCommand(SC_CLOSE);
        return true;
    }
    if (command >= 0xF000)
        return false;
    m_dialog.UserSystemCommand(command);
    return true;
}

bool Win32DialogWindow::OnPaint()
{
    m_dialog.SendMessage(WM_PAINT);
    const int icon = m_dialog.GetIcon(true) ? m_dialog.GetIcon(true) : m_backend.ApplicationIcon();
    if (!::IsIconic(m_hwnd) || icon == 0)
        return false;   // the dialog manager paints the face; the controls paint themselves
    // Minimised: the icon in the middle of what is left of the window.
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(m_hwnd, &ps);
    SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hwnd, &client);
    const int cx = GetSystemMetrics(SM_CXICON);
    const int cy = GetSystemMetrics(SM_CYICON);
    DrawIcon(dc, (client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2,
             m_backend.IconFor(icon, true));
    EndPaint(m_hwnd, &ps);
    return true;
}

bool Win32DialogWindow::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const HWND control = reinterpret_cast<HWND>(lParam);
    const int index = IndexOf(control);
    if (index < 0)
        return false;
    const auto i = static_cast<size_t>(index);
    const HDC dc = reinterpret_cast<HDC>(wParam);
    // The dialog's default: its colours in the device context, its brush.
    result = DefWindowProcA(m_hwnd, message, wParam, lParam);
    const ControlTemplate& c = m_dialog.Template().controls[i];
    const ControlLook look = m_dialog.GetControlLook(c.id);
    // The dialog manager gives every control the dialog's font, made for the
    // window's DPI, and gives them a new one when the window moves to a
    // monitor of another scaling: fonts are taken as they are now, and the
    // dialog's own look is made for the window's DPI as it is now.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(m_hwnd, WM_GETFONT, 0, 0));
    if (look.custom && look.font.heightTenthsPt > 0) {
        FontSpec spec = look.font;
        if (spec.face.empty())
            spec.face = m_dialog.Template().fontFace;
        font = m_backend.FontFor(spec, WindowDpi(m_hwnd));
    }
    // The font is also made the control's own: some controls select their
    // font after asking for their colours, and the look must hold for them
    // too (and go again once the rule no longer asks for it). A control is
    // never handed the font it has while it paints: an edit control starts
    // over on WM_SETFONT and loses the text it was drawing.
    if (font && font != reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)))
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (look.custom) {
        if (font)
            SelectObject(dc, font);
        SetTextColor(dc, look.textColor);
        if (look.transparentBackground)
            SetBkMode(dc, TRANSPARENT);
    }
    return true;
}

} // namespace tvqx
