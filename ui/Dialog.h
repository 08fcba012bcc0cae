#pragma once
// A dialog: its template, the state of each control, its message map and the
// operations the program's handlers call. It holds no toolkit object; the
// backend draws what it holds and feeds user input back as messages.

#include "ui/DialogTemplate.h"
#include "ui/SystemMenu.h"
#include "ui/UiBackend.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tvqx {

struct ControlState {
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    // Character ranges of the text shown as links (rich text controls).
    std::vector<CHARRANGE> links;
};

class CDialog {
public:
    CDialog(const DialogTemplate& dialogTemplate, UiBackend& ui);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    INT_PTR DoModal();
    void EndDialog(int result);
    // For a dialog that has to end (nothing can reach it any more, or its
    // thread is asked to end): it hears the Cancel command, as on Close, and
    // ends with IDCANCEL all the same when that does not end it.
    void EndAsClosed();

    // Overridables, as the framework's dialog has them.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Colour rule: given the default look of a control, the look to use.
    virtual ControlLook OnCtlColor(int /*controlId*/, const ControlLook& defaultLook) { return defaultLook; }

    // Message dispatch through the message map.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Controls, by id.
    bool HasControl(int id) const { return IndexOf(id) >= 0; }
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable);   // GetDlgItem(id)->EnableWindow(enable)
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemVisible(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;
    void CheckDlgButton(int id, bool check);
    bool IsDlgButtonChecked(int id) const;
    // The ranges of a text control's text that are links: the control then
    // reports mouse actions on them as EN_LINK notifications.
    void SetDlgItemLinks(int id, std::vector<CHARRANGE> links);

    // Keyboard focus, by control id (0: none). GotoDlgCtrl moves it, as
    // WM_NEXTDLGCTL with lParam TRUE does; with lParam FALSE that message
    // moves it to the next (wParam 0) or previous tab stop.
    void GotoDlgCtrl(int id) { SendMessage(WM_NEXTDLGCTL, static_cast<WPARAM>(id), TRUE); }
    int GetFocusId() const { return m_focusId; }

    // What a user's input does, the same on every backend. A click on a
    // disabled or hidden control does nothing; a click on an automatic radio
    // button checks it and clears the others of its group first; then the
    // dialog hears the command. A greyed or missing system menu command does
    // nothing. Both return false when the input was ignored.
    bool UserClick(int controlId);
    bool UserSystemCommand(UINT command);
    // An arrow key on the focused automatic radio button: the focus moves to
    // the next (or previous) button of its group that can take it, wrapping
    // round, and that button is clicked unless it is checked already. False
    // when the focus is on no radio button or no other button can take it.
    bool UserArrowKey(bool previous);
    // Whether Tab stops at the control (template index). Its template says
    // so, except in a group of automatic radio buttons that has a tab stop:
    // there the group's one stop is its checked button, or while none that
    // can take the focus is checked, the first button that can. So the group
    // stays in the Tab order when a button the template marked is disabled.
    bool IsTabStop(int index) const;

    // The window.
    void SetWindowText(const std::string& caption);
    const std::string& GetWindowText() const { return m_caption; }
    SystemMenu* GetSystemMenu();   // null when the window has none
    const SystemMenu* GetSystemMenu() const;
    Rect GetWindowRect() const;
    void MoveWindow(int x, int y, int width, int height, bool repaint);
    void SetIcon(int iconResource, bool big);
    int GetIcon(bool big) const { return big ? m_bigIcon : m_smallIcon; }
    bool IsIconic() const { return m_ui.IsIconic(*this); }
    void InvalidateRect(bool erase) { m_ui.Invalidate(*this, erase); }
    void UpdateWindow() { m_ui.UpdateWindow(*this); }
    UINT_PTR SetTimer(UINT_PTR id, UINT periodMs) { return m_ui.SetTimer(*this, id, periodMs); }
    BOOL KillTimer(UINT_PTR id) { return m_ui.KillTimer(*this, id); }
    int MessageBox(const std::string& text, const std::string& caption, UINT type)
    {
        return m_ui.MessageBox(this, text, caption, type);
    }

    // For backends.
    const DialogTemplate& Template() const { return m_template; }
    const std::vector<ControlState>& Controls() const { return m_controls; }
    ControlLook GetControlLook(int id);   // the default look run through OnCtlColor
    bool IsCreated() const { return m_created; }
    bool HasEnded() const { return m_ended; }
    int Result() const { return m_result; }
    // The backend creates the window: control states from the template, then
    // WM_INITDIALOG. And tears it down: WM_DESTROY.
    void CreateFromTemplate();
    void Destroy();
    // The user put the focus on a control (no FocusChanged back).
    void FocusMovedTo(int id) { m_focusId = id; }
    UiBackend& Ui() { return m_ui; }

protected:
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    void OnMessage(UINT message, MessageHandler handler);
    // A command: the control's click (notification code BN_CLICKED), a menu
    // item, an accelerator.
    void OnCommand(int id, std::function<void()> handler);
    // Another notification a control sends through WM_COMMAND (EN_SETFOCUS...).
    void OnControlNotify(int id, UINT notifyCode, std::function<void()> handler);
    // A WM_NOTIFY notification; the handler sets the result.
    void OnNotify(int id, UINT notifyCode, std::function<void(NMHDR*, LRESULT*)> handler);
    // Processing for messages the map does not handle.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    UiBackend& m_ui;

private:
    int IndexOf(int id) const;
    void Changed(int index);
    // A control's state by id; nothing for a control that is not there.
    template <typename Value>
    void SetState(int id, Value ControlState::*field, Value value);
    bool StateFlag(int id, bool ControlState::*flag) const;

    void MoveFocusToTabStop(bool previous);
    // Enabled and visible: a control the user can reach.
    bool CanTakeFocus(size_t index) const;
    // The automatic radio buttons of the group the button at `index` is in:
    // from the one that starts the group (CS_GROUP) to the last before the
    // next start, by template index.
    struct IndexSpan {
        size_t first;
        size_t last;
    };
    IndexSpan RadioGroupOf(size_t index) const;

    struct MapEntry {
        UINT message;
        int commandId;     // for WM_COMMAND and WM_NOTIFY entries; -1 otherwise
        UINT notifyCode;   // for WM_COMMAND and WM_NOTIFY entries
        MessageHandler handler;
    };

    DialogTemplate m_template;
    std::vector<ControlState> m_controls;
    std::vector<MapEntry> m_map;
    std::string m_caption;
    std::optional<SystemMenu> m_systemMenu;
    Point m_position;
    int m_bigIcon = 0;
    int m_smallIcon = 0;
    int m_focusId = 0;
    bool m_created = false;
    bool m_ended = false;
    int m_result = 0;
};

} // namespace tvqx
