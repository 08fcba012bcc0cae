#pragma once
// What a window toolkit does for the dialogs: run a modal loop, queue and
// dispatch messages, drive timers, show message boxes and the wait cursor,
// and draw a dialog's state. The headless backend does all of it in memory on
// an injected clock; the window backends do it on screen.

#include "ui/WinTypes.h"

#include <functional>
#include <string>

namespace tvqx {

class CDialog;

class UiBackend {
public:
    virtual ~UiBackend() = default;

    // Creates the dialog's window, initialises it (WM_INITDIALOG), processes
    // messages until EndDialog, destroys the window (WM_DESTROY) and returns
    // the EndDialog result.
    virtual INT_PTR RunModal(CDialog& dialog) = 0;
    // The dialog called EndDialog; its modal loop ends once the current
    // message has been handled.
    virtual void EndModal(CDialog& dialog) = 0;

    virtual BOOL PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Retrieves one message (waiting for one if none is queued) and dispatches
    // it. False when the loop should end (nothing can ever arrive any more).
    virtual bool PumpMessage() = 0;

    virtual UINT_PTR SetTimer(CDialog& target, UINT_PTR id, UINT periodMs) = 0;
    virtual BOOL KillTimer(CDialog& target, UINT_PTR id) = 0;

    virtual int MessageBox(CDialog* owner, const std::string& text, const std::string& caption,
                           UINT type) = 0;

    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Screen size in pixels, and a dialog's outer window size in pixels.
    virtual Size GetScreenSize() = 0;
    virtual Size GetWindowSize(const CDialog& dialog) = 0;

    // The dialog's state changed; backends that draw bring the window up to date.
    virtual void ControlChanged(CDialog&, int /*controlIndex*/) {}
    virtual void WindowChanged(CDialog&) {}     // caption, position, icon, menu
    virtual void Invalidate(CDialog&, bool /*erase*/) {}
    virtual void UpdateWindow(CDialog&) {}
    virtual bool IsIconic(const CDialog&) { return false; }
    // The dialog moved the keyboard focus (GotoDlgCtrl); see GetFocusId().
    virtual void FocusChanged(CDialog&) {}
};

// What every backend keeps the same way, whatever its toolkit: the hook into
// a dialog's modal loop, and the depth of the wait cursor, which nested waits
// deepen and an end without a begin leaves alone.
class BackendBase : public UiBackend {
public:
    // Nothing to do for a modal loop that looks at HasEnded() after every message.
    void EndModal(CDialog&) override {}
    void BeginWaitCursor() final { ShowWaitCursor(m_waitCursor++ == 0); }
    void EndWaitCursor() final
    {
        if (m_waitCursor > 0)
            HideWaitCursor(--m_waitCursor == 0);
    }
    int WaitCursorDepth() const { return m_waitCursor; }

    // Called once a dialog is made and initialised (its window shown), before
    // its modal loop runs, so that a test or front end can act in it.
    std::function<void(CDialog&)> onModalStart;

protected:
    // The toolkit's cursor: shown at every begin, `first` when no wait was on;
    // put back at every end, `last` when no wait is on any more.
    virtual void ShowWaitCursor(bool /*first*/) {}
    virtual void HideWaitCursor(bool /*last*/) {}

private:
    int m_waitCursor = 0;
};

// A message posted to a dialog, waiting in the queue of a backend that keeps
// its own.
struct PostedMessage {
    CDialog* target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    explicit CWaitCursor(UiBackend& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~CWaitCursor() { m_ui.EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    UiBackend& m_ui;
};

} // namespace tvqx
