#include "ui/win32/Win32Backend.h"

#include "platform/Win32SystemLibrary.h"
#include "ui/win32/Win32DialogTemplate.h"
#include "ui/win32/Win32DialogWindow.h"
#include "platform/PathText.h"

#include "ui/win32/Win32Api.h"

#include <algorithm>
#include <cstring>

namespace tvqx {

namespace {

// A font of `spec` for a window of `dpi` dots per inch, its height in points
// converted as the dialog manager converts the dialog font's.
HFONT CreatePointFont(const FontSpec& spec, int dpi)
{
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(spec.heightTenthsPt, dpi, 720);
    lf.lfWeight = spec.weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// The screen's vertical resolution: the system's DPI.
int SystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

int WindowDpi(HWND hwnd)
{
    // A program aware of each monitor's scaling draws a window at its own
    // monitor's DPI, which the system tells from Windows 10 (1607) on; before
    // that, and for a program not so aware, there is one DPI, the system's.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = FunctionOf<DpiForWindow>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    const UINT dpi = hwnd && dpiForWindow ? dpiForWindow(hwnd) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

Win32Backend::Win32Backend(HINSTANCE instance)
    : m_instance(instance ? instance : GetModuleHandleA(nullptr))
{
    m_richEdit = LoadSystemLibrary(L"riched20.dll");
}

Win32Backend::~Win32Backend()
{
    while (WaitCursorDepth() > 0)
        EndWaitCursor();
    m_windows.clear();
    for (const auto& entry : m_fonts)
        DeleteObject(entry.second);
    if (m_richEdit)
        FreeLibrary(m_richEdit);
}

Win32DialogWindow* Win32Backend::DialogWindowOf(const CDialog& dialog) const
{
    const auto it = m_windows.find(&dialog);
    return it == m_windows.end() ? nullptr : it->second.get();
}

HWND Win32Backend::WindowOf(const CDialog& dialog) const
{
    const Win32DialogWindow* w = DialogWindowOf(dialog);
    return w ? w->Handle() : nullptr;
}

HWND Win32Backend::ControlOf(const CDialog& dialog, int controlId) const
{
    const Win32DialogWindow* w = DialogWindowOf(dialog);
    return w ? w->Control(controlId) : nullptr;
}

HWND Win32Backend::InnermostWindow() const
{
    for (auto it = m_modal.rbegin(); it != m_modal.rend(); ++it)
        if (const HWND hwnd = WindowOf(**it))
            return hwnd;
    return m_opened.empty() ? nullptr : WindowOf(*m_opened.back());
}

Win32DialogWindow* Win32Backend::Open(CDialog& dialog, HWND owner)
{
    auto window = std::make_unique<Win32DialogWindow>(*this, dialog);
    Win32DialogWindow* w = window.get();
    // Known before the window exists: its initialisation already asks for it.
    m_windows[&dialog] = std::move(window);
    if (!w->Create(owner)) {
        m_windows.erase(&dialog);
        return nullptr;
    }
    m_opened.push_back(&dialog);
    if (!dialog.HasEnded())
        w->Show();
    return w;
}

bool Win32Backend::Create(CDialog& dialog)
{
    return Open(dialog, InnermostWindow()) != nullptr;
}

void Win32Backend::Destroy(CDialog& dialog)
{
    if (Win32DialogWindow* w = DialogWindowOf(dialog))
        w->Teardown();
    m_windows.erase(&dialog);
    std::erase(m_opened, &dialog);
}

INT_PTR Win32Backend::RunModal(CDialog& dialog)
{
    Win32DialogWindow* w = Open(dialog, InnermostWindow());
    if (!w)
        return -1;   // as DoModal says when the window cannot be made
    const HWND owner = w->Owner();
    if (!dialog.HasEnded()) {
        // The owner takes no input while the dialog runs; its timers and
        // painting go on.
        if (owner)
            EnableWindow(owner, FALSE);
        m_modal.push_back(&dialog);
        if (onModalStart)
            onModalStart(dialog);
        while (!dialog.HasEnded()) {
            if (!PumpMessage() || m_quit) {
                // The thread is asked to end; the request stays for the
                // loops outside.
                dialog.EndAsClosed();
            }
        }
        m_modal.erase(std::find(m_modal.begin(), m_modal.end(), &dialog));
        if (owner)
            EnableWindow(owner, TRUE);
    }
    const INT_PTR result = dialog.Result();
    Destroy(dialog);
    if (m_quit) {
        m_quit = false;
        PostQuitMessage(static_cast<int>(m_quitCode));
    }
    return result;
}

BOOL Win32Backend::PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = WindowOf(target);
    return hwnd ? PostMessageA(hwnd, message, wParam, lParam) : FALSE;
}

bool Win32Backend::PumpMessage()
{
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        m_quit = true;
        m_quitCode = static_cast<intptr_t>(msg.wParam);
        return false;
    }
    // Keys go to the dialog they are typed in: tab, arrows, Enter, Escape.
    const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const bool ours = root && std::any_of(m_windows.begin(), m_windows.end(),
                                          [&](const auto& entry) { return entry.second->Handle() == root; });
    if (!ours || !IsDialogMessageA(root, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    TrackFocus();
    return true;
}

void Win32Backend::TrackFocus()
{
    const HWND focus = GetFocus();
    if (!focus)
        return;
    for (const auto& entry : m_windows) {
        Win32DialogWindow& w = *entry.second;
        const int index = w.IndexOf(focus);
        if (index < 0)
            continue;
        const int id = w.Dialog().Template().controls[static_cast<size_t>(index)].id;
        if (id != IDC_STATIC && id != w.Dialog().GetFocusId())
            w.Dialog().FocusMovedTo(id);
        return;
    }
}

UINT_PTR Win32Backend::SetTimer(CDialog& target, UINT_PTR id, UINT periodMs)
{
    const HWND hwnd = WindowOf(target);
    return hwnd && ::SetTimer(hwnd, id, periodMs, nullptr) ? id : 0;
}

BOOL Win32Backend::KillTimer(CDialog& target, UINT_PTR id)
{
    const HWND hwnd = WindowOf(target);
    return hwnd ? ::KillTimer(hwnd, id) : FALSE;
}

int Win32Backend::MessageBox(CDialog* owner, const std::string& text, const std::string& caption, UINT type)
{
    if (interceptMessageBox && interceptMessageBox(text, caption, type))
        return IDOK;
    HWND parent = owner ? WindowOf(*owner) : nullptr;
    if (!parent)
        parent = InnermostWindow();
    return MessageBoxW(parent, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void Win32Backend::ShowWaitCursor(bool first)
{
    const HCURSOR before = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (first)
        m_cursorBeforeWait = before;
}

void Win32Backend::HideWaitCursor(bool last)
{
    if (last)
        SetCursor(m_cursorBeforeWait ? m_cursorBeforeWait : LoadCursorA(nullptr, IDC_ARROW));
}

Size Win32Backend::GetScreenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Size Win32Backend::GetWindowSize(const CDialog& dialog)
{
    RECT r{};
    if (const HWND hwnd = WindowOf(dialog); hwnd && GetWindowRect(hwnd, &r))
        return {r.right - r.left, r.bottom - r.top};
    // No window yet: what the dialog manager would make, from the dialog
    // font's base units (average width of the letters, height) and the frame.
    const DialogTemplate& t = dialog.Template();
    const HFONT font = FontFor({t.fontFace.empty() ? std::string("MS Shell Dlg") : t.fontFace, t.fontPoints * 10,
                                FW_NORMAL},
                               WindowDpi(nullptr));
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int unitX = (letters.cx / 26 + 1) / 2;
    r = {0, 0, MulDiv(t.cx, unitX, 4), MulDiv(t.cy, tm.tmHeight, 8)};
    DWORD ex = DialogExtendedStyle(t);
    if (t.style & kTemplateModalFrame)
        ex |= WS_EX_DLGMODALFRAME;
    AdjustWindowRectEx(&r, DialogWindowStyle(t), FALSE, ex);
    return {r.right - r.left, r.bottom - r.top};
}

void Win32Backend::ControlChanged(CDialog& dialog, int controlIndex)
{
    if (Win32DialogWindow* w = DialogWindowOf(dialog); w && w->Handle())
        w->SyncControl(controlIndex);
}

void Win32Backend::WindowChanged(CDialog& dialog)
{
    if (Win32DialogWindow* w = DialogWindowOf(dialog); w && w->Handle())
        w->SyncWindow();
}

void Win32Backend::Invalidate(CDialog& dialog, bool erase)
{
    // The controls too: the colour rule may have changed without a control
    // changing, and each control asks for its colours when it paints.
    if (const HWND hwnd = WindowOf(dialog))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0));
}

void Win32Backend::UpdateWindow(CDialog& dialog)
{
    if (const HWND hwnd = WindowOf(dialog))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Win32Backend::IsIconic(const CDialog& dialog)
{
    const HWND hwnd = WindowOf(dialog);
    return hwnd && ::IsIconic(hwnd);
}

void Win32Backend::FocusChanged(CDialog& dialog)
{
    if (Win32DialogWindow* w = DialogWindowOf(dialog); w && w->Handle())
        w->SyncFocus();
}

HFONT Win32Backend::FontFor(const FontSpec& spec, int dpi)
{
    const auto key = std::make_tuple(spec.face, spec.heightTenthsPt, spec.weight, dpi);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end())
        it = m_fonts.emplace(key, CreatePointFont(spec, dpi)).first;
    return it->second;
}

HICON Win32Backend::IconFor(int resourceId, bool big)
{
    const auto key = std::make_pair(resourceId, big);
    auto it = m_icons.find(key);
    if (it == m_icons.end()) {
        const int cx = GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
        const int cy = GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON);
        // Shared icons belong to the system's cache: nothing to free.
        auto icon = static_cast<HICON>(
            LoadImageA(m_instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, cx, cy, LR_SHARED));
        if (!icon)
            icon = LoadIconA(nullptr, IDI_APPLICATION);
        it = m_icons.emplace(key, icon).first;
    }
    return it->second;
}

} // namespace tvqx
