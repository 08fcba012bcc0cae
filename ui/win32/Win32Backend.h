#pragma once
// The dialog layer on the Windows dialog manager: every dialog a real dialog
// window built from its template, controls by the dialog manager's own
// rules, posted messages and timers in the thread's message queue, message
// boxes, the wait cursor and the system menu of the system. The dialog
// object stays the truth: its state is pushed to the controls whenever it
// changes, and what the user does comes back to it as messages.
//
// Everything runs on the thread that made the backend.

#include "ui/Dialog.h"
#include "ui/UiBackend.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// The Windows handle types, declared the way <windows.h> declares them, so
// that users of this header need not include it.
struct HWND__;
struct HINSTANCE__;
struct HFONT__;
struct HICON__;   // cursors too

namespace tvqx {

class Win32DialogWindow;

// The dots per inch a window is drawn at (the system's when `window` is
// null): what a size in points becomes in its pixels.
int WindowDpi(HWND__* window);

class Win32Backend final : public BackendBase {
public:
    // Icons are loaded from `instance` (the program's own module when null).
    // Loads the rich edit control's library, which the dialogs' rich text
    // controls are made of.
    explicit Win32Backend(HINSTANCE__* instance = nullptr);
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    // UiBackend
    INT_PTR RunModal(CDialog& dialog) override;
    BOOL PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PumpMessage() override;
    UINT_PTR SetTimer(CDialog& target, UINT_PTR id, UINT periodMs) override;
    BOOL KillTimer(CDialog& target, UINT_PTR id) override;
    int MessageBox(CDialog* owner, const std::string& text, const std::string& caption, UINT type) override;
    Size GetScreenSize() override;
    Size GetWindowSize(const CDialog& dialog) override;
    void ControlChanged(CDialog& dialog, int controlIndex) override;
    void WindowChanged(CDialog& dialog) override;
    void Invalidate(CDialog& dialog, bool erase) override;
    void UpdateWindow(CDialog& dialog) override;
    bool IsIconic(const CDialog& dialog) override;
    void FocusChanged(CDialog& dialog) override;

    // The icon resource that icon controls show; their templates name none.
    void SetApplicationIcon(int resourceId) { m_applicationIcon = resourceId; }
    int ApplicationIcon() const { return m_applicationIcon; }

    // Called with every message box before it is shown; returning true
    // answers it with OK without showing it (tests, the picture tool).
    std::function<bool(const std::string& text, const std::string& caption, UINT type)> interceptMessageBox;

    // A dialog shown without a modal loop of its own (tests drive it):
    // window, initialisation, shown; false when the window could not be
    // made. And torn down again.
    bool Create(CDialog& dialog);
    void Destroy(CDialog& dialog);

    // The window of a live dialog and its controls, or null.
    HWND__* WindowOf(const CDialog& dialog) const;
    HWND__* ControlOf(const CDialog& dialog, int controlId) const;
    Win32DialogWindow* DialogWindowOf(const CDialog& dialog) const;

    // For the dialog windows: shared resources, made once and kept. A font
    // is made for a window's DPI (WindowDpi).
    HFONT__* FontFor(const FontSpec& font, int dpi);
    HICON__* IconFor(int resourceId, bool big);
    HINSTANCE__* Instance() const { return m_instance; }
    // The window new dialogs and message boxes belong to: the innermost
    // dialog in a modal loop, else the dialog shown last; null when none.
    HWND__* InnermostWindow() const;

private:
    void ShowWaitCursor(bool first) override;
    void HideWaitCursor(bool last) override;
    Win32DialogWindow* Open(CDialog& dialog, HWND__* owner);
    // After each message: the dialogs' idea of the keyboard focus follows
    // where the user put it (tab key, clicks).
    void TrackFocus();

    HINSTANCE__* m_instance;
    HINSTANCE__* m_richEdit = nullptr;
    std::map<const CDialog*, std::unique_ptr<Win32DialogWindow>> m_windows;
    std::vector<CDialog*> m_modal;         // dialogs in a modal loop, innermost last
    std::vector<const CDialog*> m_opened;  // live dialogs, the last shown last
    std::map<std::tuple<std::string, int, int, int>, HFONT__*> m_fonts;
    std::map<std::pair<int, bool>, HICON__*> m_icons;
    int m_applicationIcon = 0;
    HICON__* m_cursorBeforeWait = nullptr;
    bool m_quit = false;   // WM_QUIT was taken from the queue
    intptr_t m_quitCode = 0;
};

} // namespace tvqx
