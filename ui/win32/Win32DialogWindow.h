#pragma once
// The window of one dialog: made by the dialog manager from the dialog's
// template, its controls kept in step with the dialog's state, and the
// messages the window receives handed to the dialog in the dialog layer's
// terms.

#include "ui/win32/Win32Backend.h"

#include <string>
#include <vector>

namespace tvqx {

class Win32DialogWindow {
public:
    Win32DialogWindow(Win32Backend& backend, CDialog& dialog);
    ~Win32DialogWindow();
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    // Makes the window (hidden) and initialises the dialog in it; false when
    // the dialog manager could not make it.
    bool Create(HWND__* owner);
    // Shows the window and puts the focus where the dialog has it.
    void Show();
    // The dialog's WM_DESTROY, then the window goes.
    void Teardown();

    CDialog& Dialog() { return m_dialog; }
    HWND__* Handle() const { return m_hwnd; }
    HWND__* Owner() const { return m_owner; }
    // A control's window, by template index or by id; null when none.
    HWND__* ControlAt(int index) const;
    HWND__* Control(int id) const;
    // Template index of a control window; -1 when it is none of ours.
    int IndexOf(HWND__* control) const;

    // The dialog's state to the window.
    void SyncControl(int index);
    void SyncAll();
    void SyncWindow();   // caption, position, icons, system menu
    void SyncFocus();

    // The dialog procedure's work for one message: true when handled, with
    // the message's result.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_INITDIALOG: the controls exist; the dialog initialises itself.
    void Initialise(HWND__* hwnd);
    // WM_NCDESTROY: the window is gone.
    void Detach() { m_hwnd = nullptr; }

private:
    void FindControls();
    void PrepareControls();
    void SyncSystemMenu();
    void SyncRadioTabStops();
    bool OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    bool OnSysCommand(WPARAM wParam);
    bool OnPaint();
    // The colour rule: the default colours, then the dialog's look.
    bool OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    Win32Backend& m_backend;
    CDialog& m_dialog;
    HWND__* m_hwnd = nullptr;
    HWND__* m_owner = nullptr;
    std::vector<uint32_t> m_template;         // must outlive the window's creation
    std::vector<HWND__*> m_controls;          // template order
    std::vector<std::string> m_texts;         // each control's text as last set
    std::string m_caption;
    Point m_position;
    int m_bigIcon = 0;
    int m_smallIcon = 0;
    size_t m_appendedMenuItems = 0;
};

} // namespace tvqx
