#pragma once
// The dialog layer without a screen. It keeps every dialog's state in memory,
// queues posted messages, fires timers on the injected clock and records what
// a user would have seen (message boxes, the wait cursor, repaints). Tests and
// the console front end run the program's window logic on it.
//
// On a virtual clock, waiting for a message moves time on to the next timer or
// scheduled action, so a modal loop costs no real time.

#include "platform/TickClock.h"
#include "ui/Dialog.h"
#include "ui/UiBackend.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tvqx {

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type = 0;
    uint32_t tick = 0;
    std::string ownerCaption;
};

class HeadlessBackend final : public BackendBase {
public:
    // With a VirtualTickClock, idle waits advance it; with any other clock
    // they let it idle in real time.
    explicit HeadlessBackend(TickClock& clock);

    // UiBackend
    INT_PTR RunModal(CDialog& dialog) override;
    BOOL PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PumpMessage() override;
    UINT_PTR SetTimer(CDialog& target, UINT_PTR id, UINT periodMs) override;
    BOOL KillTimer(CDialog& target, UINT_PTR id) override;
    int MessageBox(CDialog* owner, const std::string& text, const std::string& caption, UINT type) override;
    Size GetScreenSize() override { return m_screen; }
    Size GetWindowSize(const CDialog& dialog) override;
    void Invalidate(CDialog& dialog, bool erase) override;
    void UpdateWindow(CDialog& dialog) override;
    bool IsIconic(const CDialog&) override { return m_iconic; }
    void ControlChanged(CDialog& dialog, int controlIndex) override
    {
        if (onControlChanged)
            onControlChanged(dialog, controlIndex);
    }

    // A dialog shown without a modal loop of its own (tests drive it).
    void Create(CDialog& dialog);
    void Destroy(CDialog& dialog);

    // What a user does. Click acts at once, as if the loop had just taken the
    // click from the queue; PostClick queues it behind what is waiting. A
    // click on a disabled or hidden control does nothing; a click on a radio
    // button checks it and clears the others of its group first.
    void Click(CDialog& dialog, int controlId);
    void PostClick(CDialog& dialog, int controlId);
    // Chooses a system menu command; nothing happens when it is greyed.
    void ChooseSystemMenu(CDialog& dialog, UINT command);
    void PostSystemMenu(CDialog& dialog, UINT command);

    // Settings of the pretend screen.
    void SetScreenSize(Size size) { m_screen = size; }
    void SetIconic(bool iconic) { m_iconic = iconic; }

    // What was seen.
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    void ClearMessageBoxes() { m_boxes.clear(); }
    int RepaintCount() const { return m_repaints; }
    int IgnoredClicks() const { return m_ignoredClicks; }
    size_t PendingMessages() const { return m_queue.size(); }

    // Called for every message box as it is shown (before it is answered OK).
    std::function<void(const MessageBoxRecord&)> onMessageBox;
    // Called whenever a control's text, enabled state, visibility or check
    // changes (index into the dialog's template), so a front end can follow
    // the status lines as they change.
    std::function<void(CDialog&, int)> onControlChanged;

private:
    struct Timer {
        CDialog* target;
        UINT_PTR id;
        UINT period;
        uint32_t last;
    };

    void Dispatch(const PostedMessage& posted);
    void DoClick(CDialog& dialog, int controlId);
    void DoSystemMenu(CDialog& dialog, UINT command);
    Timer* DueTimer();
    // Milliseconds until the next timer is due; UINT64_MAX without timers.
    uint64_t MsUntilNextTimer();
    void Forget(CDialog& dialog);

    TickClock& m_clock;
    VirtualTickClock* m_virtual;
    std::deque<PostedMessage> m_queue;
    std::vector<Timer> m_timers;
    std::vector<MessageBoxRecord> m_boxes;
    std::vector<CDialog*> m_live;
    Size m_screen{1024, 768};
    bool m_iconic = false;
    int m_repaints = 0;
    int m_ignoredClicks = 0;
    bool m_invalid = false;
};

} // namespace tvqx
