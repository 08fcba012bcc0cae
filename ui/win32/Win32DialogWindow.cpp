#include "ui/win32/Win32DialogWindow.h"

#include "ui/win32/Win32DialogTemplate.h"
#include "platform/PathText.h"

#include "ui/win32/Win32Api.h"

#include <algorithm>

namespace tvqx {

namespace {

// Messages whose result a dialog procedure returns itself instead of
// leaving it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        window->Initialise(hwnd);
        return FALSE;   // the focus goes where the dialog has it once the window shows
    }
    auto* window = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!window)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        window->Detach();
        return FALSE;
    }
    LRESULT result = 0;
    if (!window->HandleMessage(message, wParam, lParam, result))
        return FALSE;
    if (ReturnsResultDirectly(message))
        return result;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// The items a window's system menu has before the program appends any.
size_t StandardSystemMenuItems()
{
    static const size_t count = SystemMenu().Items().size();
    return count;
}

} // namespace

Win32DialogWindow::Win32DialogWindow(Win32Backend& backend, CDialog& dialog)
    : m_backend(backend), m_dialog(dialog)
{
}

Win32DialogWindow::~Win32DialogWindow()
{
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

bool Win32DialogWindow::Create(HWND owner)
{
    const DialogTemplate& t = m_dialog.Template();
    m_owner = owner;
    m_template = BuildDialogTemplate(t);
    m_caption = t.caption;
    for (const ControlTemplate& c : t.controls)
        m_texts.push_back(InitialWindowText(c));
    // A Unicode dialog: its controls show the texts set below in any script.
    const HWND hwnd = CreateDialogIndirectParamW(m_backend.Instance(),
                                                 reinterpret_cast<LPCDLGTEMPLATEW>(m_template.data()), owner,
                                                 DialogProcedure, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && m_hwnd == hwnd;
}

void Win32DialogWindow::Initialise(HWND hwnd)
{
    m_hwnd = hwnd;
    FindControls();
    PrepareControls();
    m_dialog.CreateFromTemplate();
    SyncAll();
    SyncWindow();
}

void Win32DialogWindow::Show()
{
    if (!m_hwnd)
        return;
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    SyncFocus();
}

void Win32DialogWindow::Teardown()
{
    if (m_dialog.IsCreated())
        m_dialog.Destroy();
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
}

void Win32DialogWindow::FindControls()
{
    // The dialog manager makes the controls in template order, each below
    // the one before: the child list is the template.
    const auto& controls = m_dialog.Template().controls;
    m_controls.assign(controls.size(), nullptr);
    HWND child = GetWindow(m_hwnd, GW_CHILD);
    for (size_t i = 0; i < controls.size() && child; ++i) {
        m_controls[i] = child;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].id != IDC_STATIC && GetDlgCtrlID(m_controls[i]) != controls[i].id)
            m_controls[i] = GetDlgItem(m_hwnd, controls[i].id);
}

void Win32DialogWindow::PrepareControls()
{
    const auto& controls = m_dialog.Template().controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        const HWND h = m_controls[i];
        if (!h)
            continue;
        if (controls[i].kind == ControlKind::RichEdit) {
            // Addresses in the text become links, and clicks on them come
            // back as EN_LINK. Detection is on before any text goes in, and
            // the text always goes in whole (WM_SETTEXT), which makes the
            // control look at all of it: not every version of the control
            // looks again after an insertion at the selection.
            SendMessageA(h, EM_AUTOURLDETECT, TRUE, 0);
            const LRESULT mask = SendMessageA(h, EM_GETEVENTMASK, 0, 0);
            SendMessageA(h, EM_SETEVENTMASK, 0, mask | ENM_LINK);
            // Drawn on the dialog's own face, like the text beside it.
            SendMessageA(h, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_3DFACE)));
        } else if (controls[i].kind == ControlKind::Icon && m_backend.ApplicationIcon() != 0) {
            SendMessageA(h, STM_SETICON, reinterpret_cast<WPARAM>(m_backend.IconFor(m_backend.ApplicationIcon(), true)),
                         0);
        }
    }
}

HWND Win32DialogWindow::ControlAt(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_controls.size() ? m_controls[static_cast<size_t>(index)]
                                                                         : nullptr;
}

HWND Win32DialogWindow::Control(int id) const
{
    return ControlAt(m_dialog.Template().IndexOf(id));
}

int Win32DialogWindow::IndexOf(HWND control) const
{
    if (!control)
        return -1;
    const auto it = std::find(m_controls.begin(), m_controls.end(), control);
    return it == m_controls.end() ? -1 : static_cast<int>(it - m_controls.begin());
}

void Win32DialogWindow::SyncControl(int index)
{
    const auto& states = m_dialog.Controls();
    const HWND h = ControlAt(index);
    if (!h || static_cast<size_t>(index) >= states.size())
        return;
    const auto i = static_cast<size_t>(index);
    const ControlTemplate& c = m_dialog.Template().controls[i];
    const ControlState& s = states[i];
    if (c.kind != ControlKind::Icon) {
        const std::string shown = ControlWindowText(c, s.text);
        if (shown != m_texts[i])
            SetWindowTextW(h, Widen(shown).c_str());
        m_texts[i] = shown;
    }
    if ((IsWindowEnabled(h) != FALSE) != s.enabled)
        EnableWindow(h, s.enabled ? TRUE : FALSE);
    const bool visible = (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != s.visible)
        ShowWindow(h, s.visible ? SW_SHOWNA : SW_HIDE);
    if (c.kind == ControlKind::AutoRadioButton) {
        const bool checked = SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (checked != s.checked)
            SendMessageA(h, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        SyncRadioTabStops();
    }
}

void Win32DialogWindow::SyncRadioTabStops()
{
    // The dialog manager's Tab goes to controls with WS_TABSTOP; which
    // button of a radio group has it is the dialog's rule (the checked one,
    // or the first that can take the focus), set here whatever the buttons
    // did to their own style when they were checked or cleared.
    const auto& controls = m_dialog.Template().controls;
    for (size_t i = 0; i < controls.size() && i < m_controls.size(); ++i) {
        if (controls[i].kind != ControlKind::AutoRadioButton || !m_controls[i])
            continue;
        const LONG style = GetWindowLongA(m_controls[i], GWL_STYLE);
        const LONG wanted = m_dialog.IsTabStop(static_cast<int>(i)) ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (wanted != style)
            SetWindowLongA(m_controls[i], GWL_STYLE, wanted);
    }
}

void Win32DialogWindow::SyncAll()
{
    for (size_t i = 0; i < m_controls.size(); ++i)
        SyncControl(static_cast<int>(i));
}

void Win32DialogWindow::SyncWindow()
{
    if (!m_hwnd)
        return;
    const std::string& caption = m_dialog.GetWindowText();
    if (caption != m_caption) {
        m_caption = caption;
        SetWindowTextW(m_hwnd, Widen(caption).c_str());
    }
    // Only a move by the dialog moves the window: where the user dragged it
    // stays, whatever else the dialog changes.
    const Rect r = m_dialog.GetWindowRect();
    if (r.left != m_position.x || r.top != m_position.y) {
        m_position = {r.left, r.top};
        SetWindowPos(m_hwnd, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const bool big : {true, false}) {
        int& applied = big ? m_bigIcon : m_smallIcon;
        const int icon = m_dialog.GetIcon(big);
        if (icon != applied) {
            applied = icon;
            SendMessageA(m_hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                         reinterpret_cast<LPARAM>(icon ? m_backend.IconFor(icon, big) : nullptr));
        }
    }
    SyncSystemMenu();
}

void Win32DialogWindow::SyncSystemMenu()
{
    const SystemMenu* model = m_dialog.GetSystemMenu();
    const HMENU menu = model ? GetSystemMenu(m_hwnd, FALSE) : nullptr;
    if (!menu)
        return;
    const auto& items = model->Items();
    for (size_t i = StandardSystemMenuItems() + m_appendedMenuItems; i < items.size(); ++i, ++m_appendedMenuItems) {
        const MenuItem& item = items[i];
        if (item.separator)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING | item.state, item.id, Widen(item.text).c_str());
    }
    // The system keeps its own standard items up to date with the window's
    // state; Close and what the program appended follow the dialog.
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].separator && (i >= StandardSystemMenuItems() || items[i].id == SC_CLOSE))
            EnableMenuItem(menu, items[i].id, MF_BYCOMMAND | items[i].state);
}

void Win32DialogWindow::SyncFocus()
{
    const HWND target = Control(m_dialog.GetFocusId());
    if (!m_hwnd || !target || target == GetFocus() || !IsWindowEnabled(target) ||
        !(GetWindowLongA(target, GWL_STYLE) & WS_VISIBLE))
        return;
    SendMessageA(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

} // namespace tvqx
