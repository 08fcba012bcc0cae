#pragma once
// The dialog layer on Qt Widgets: every dialog a window of its own, every
// control a widget placed from its dialog units, user input fed back to the
// dialog as messages. Posted messages wait in our own queue and are handed
// out one per turn of the Qt event loop, timer messages only when nothing is
// posted, as a Windows message queue does.
//
// Needs a QApplication; everything runs on its thread.

#include "ui/Dialog.h"
#include "ui/UiBackend.h"

#include <QIcon>
#include <QMessageBox>
#include <QObject>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QEventLoop;
class QTimer;

namespace tvqx {

class DialogWindow;

class QtBackend final : public BackendBase {
public:
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    // UiBackend
    INT_PTR RunModal(CDialog& dialog) override;
    void EndModal(CDialog& dialog) override;
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

    // Icon resources by id; the application icon stands in for any other
    // (and for icon controls, which name none).
    void SetApplicationIcon(const QIcon& icon);
    void SetIconResource(int resourceId, const QIcon& icon);
    QIcon IconResource(int resourceId) const;

    // A control's tool tip, asked for whenever one is about to show; empty
    // for none. The front end knows what the controls stand for.
    using ToolTipProvider = std::function<std::string(const CDialog&, int controlId)>;
    void SetToolTipProvider(ToolTipProvider provider) { m_toolTips = std::move(provider); }
    std::string ToolTipFor(const CDialog& dialog, int controlId) const;

    // What the front end adds under a message box's text (after an empty
    // line), from what it knows of the system; empty for nothing. The
    // program's own text is always shown whole and first.
    using MessageNote = std::function<std::string(const std::string& text)>;
    void SetMessageNote(MessageNote note) { m_messageNote = std::move(note); }

    // Called with every message box ready to show; returning true answers it
    // with OK without showing it (tests, the picture tool).
    std::function<bool(QMessageBox&)> interceptMessageBox;

    // The window of a live dialog, or null.
    DialogWindow* WindowOf(const CDialog& dialog) const;

    // A dialog shown without a modal loop of its own (tests drive it):
    // window, initialisation, shown; and torn down again.
    DialogWindow* Create(CDialog& dialog);
    void Destroy(CDialog& dialog);

    // User input from the windows.
    // A click on a control: radio buttons check themselves first (clearing
    // their group), then the dialog hears the command. Disabled or hidden
    // controls ignore it.
    void UserClicked(CDialog& dialog, int controlId);
    // A system menu command; nothing happens when it is greyed or missing.
    void UserSystemCommand(CDialog& dialog, UINT command);

private:
    void ShowWaitCursor(bool first) override;
    void HideWaitCursor(bool last) override;

    struct Timer {
        CDialog* target;
        UINT_PTR id;
        std::unique_ptr<QTimer> timer;
        bool due = false;
    };
    struct ModalLoop {
        CDialog* dialog;
        QEventLoop* loop;
    };
    class ModalScope;

    bool HasPending() const;
    void ScheduleDelivery();
    void Deliver();
    // Dispatches one posted message, or else one due timer; false when
    // there was nothing.
    bool DispatchOne();
    void Forget(CDialog& dialog);
    // The window new dialogs and message boxes belong to: the innermost
    // dialog in a modal loop, else the dialog shown last; null when none.
    QWidget* InnermostWindow() const;
    bool IsLive(const CDialog& dialog) const;

    QObject m_context;   // owns the queued delivery calls
    std::deque<PostedMessage> m_queue;
    std::vector<Timer> m_timers;
    std::map<const CDialog*, DialogWindow*> m_windows;
    std::vector<const CDialog*> m_opened;   // live dialogs, the last shown last
    std::vector<ModalLoop> m_loops;
    std::map<int, QIcon> m_icons;
    QIcon m_applicationIcon;
    ToolTipProvider m_toolTips;
    MessageNote m_messageNote;
    bool m_deliveryScheduled = false;
    int m_pumpDepth = 0;                 // PumpMessage passes under way
    bool m_dispatchingFromPump = false;  // a pass is handing out its message
};

// The icon of a message box of this type (MB_ICON... bits; none for MB_OK).
QMessageBox::Icon MessageBoxIconFor(UINT type);

} // namespace tvqx
