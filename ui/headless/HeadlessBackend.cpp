#include "ui/headless/HeadlessBackend.h"

#include "ui/DialogUnits.h"

#include <algorithm>

namespace tvqx {

namespace {

// Queue entries for user input, kept apart from window messages (whose
// numbers fit in 16 bits) so that input is judged when it is taken from the
// queue, as a real toolkit judges a click when it processes it.
constexpr UINT kUserClick = 0x10000001;
constexpr UINT kUserSystemMenu = 0x10000002;

} // namespace

HeadlessBackend::HeadlessBackend(TickClock& clock)
    : m_clock(clock), m_virtual(dynamic_cast<VirtualTickClock*>(&clock))
{
}

INT_PTR HeadlessBackend::RunModal(CDialog& dialog)
{
    Create(dialog);
    if (onModalStart && !dialog.HasEnded())
        onModalStart(dialog);
    while (!dialog.HasEnded()) {
        if (!PumpMessage()) {
            // Nothing can ever arrive any more: the user walks away by
            // closing the dialog.
            dialog.EndAsClosed();
        }
    }
    const INT_PTR result = dialog.Result();
    Destroy(dialog);
    return result;
}

void HeadlessBackend::Create(CDialog& dialog)
{
    m_live.push_back(&dialog);
    dialog.CreateFromTemplate();
}

void HeadlessBackend::Destroy(CDialog& dialog)
{
    dialog.Destroy();
    Forget(dialog);
}

void HeadlessBackend::Forget(CDialog& dialog)
{
    std::erase_if(m_queue, [&](const PostedMessage& p) { return p.target == &dialog; });
    std::erase_if(m_timers, [&](const Timer& t) { return t.target == &dialog; });
    std::erase(m_live, &dialog);
}

BOOL HeadlessBackend::PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (std::find(m_live.begin(), m_live.end(), &target) == m_live.end())
        return FALSE;
    m_queue.push_back({&target, message, wParam, lParam});
    return TRUE;
}

HeadlessBackend::Timer* HeadlessBackend::DueTimer()
{
    const uint32_t now = m_clock.GetTickCount();
    for (auto& t : m_timers)
        if (now - t.last >= t.period)
            return &t;
    return nullptr;
}

bool HeadlessBackend::PumpMessage()
{
    for (;;) {
        if (!m_queue.empty()) {
            const PostedMessage posted = m_queue.front();
            m_queue.pop_front();
            Dispatch(posted);
            return true;
        }
        // Timer messages come only when nothing is posted, one per retrieval.
        if (Timer* t = DueTimer()) {
            t->last = m_clock.GetTickCount();
            CDialog* target = t->target;
            const UINT_PTR id = t->id;
            target->SendMessage(WM_TIMER, id, 0);
            return true;
        }
        if (m_virtual) {
            uint64_t wait = MsUntilNextTimer();
            if (m_virtual->HasPendingActions()) {
                const uint64_t next = m_virtual->NextActionTime();
                wait = std::min<uint64_t>(wait, next > m_virtual->Now() ? next - m_virtual->Now() : 0);
            }
            if (wait == UINT64_MAX)
                return false;
            // A scheduled action is an event from outside (the user, a test):
            // the caller gets to look at the world it changed.
            if (m_virtual->Advance(wait) > 0)
                return true;
        } else {
            // Only this thread posts messages: with none queued, nothing can
            // come before the next timer. Rest until the millisecond before
            // it in one go; the last rest, as every rest here always did,
            // ends on the tick itself, so a timer fires when it always has.
            const uint64_t wait = MsUntilNextTimer();
            if (wait > 1 && wait != UINT64_MAX)
                m_clock.Sleep(static_cast<uint32_t>(wait - 1));
            else
                m_clock.Idle();
        }
    }
}

uint64_t HeadlessBackend::MsUntilNextTimer()
{
    uint64_t wait = UINT64_MAX;
    const uint32_t now = m_clock.GetTickCount();
    for (const auto& t : m_timers)
        wait = std::min<uint64_t>(wait, t.period - (now - t.last));
    return wait;
}

void HeadlessBackend::Dispatch(const PostedMessage& posted)
{
    switch (posted.message) {
    case kUserClick:
        DoClick(*posted.target, static_cast<int>(posted.wParam));
        break;
    case kUserSystemMenu:
        DoSystemMenu(*posted.target, static_cast<UINT>(posted.wParam));
        break;
    default:
        posted.target->SendMessage(posted.message, posted.wParam, posted.lParam);
        break;
    }
}

UINT_PTR HeadlessBackend::SetTimer(CDialog& target, UINT_PTR id, UINT periodMs)
{
    const uint32_t now = m_clock.GetTickCount();
    for (auto& t : m_timers) {
        if (t.target == &target && t.id == id) {
            t.period = periodMs;
            t.last = now;
            return id;
        }
    }
    m_timers.push_back({&target, id, periodMs, now});
    return id;
}

BOOL HeadlessBackend::KillTimer(CDialog& target, UINT_PTR id)
{
    return std::erase_if(m_timers, [&](const Timer& t) { return t.target == &target && t.id == id; }) ? TRUE : FALSE;
}

int HeadlessBackend::MessageBox(CDialog* owner, const std::string& text, const std::string& caption, UINT type)
{
    MessageBoxRecord record{text, caption, type, m_clock.GetTickCount(), owner ? owner->GetWindowText() : ""};
    m_boxes.push_back(record);
    if (onMessageBox)
        onMessageBox(record);
    return IDOK;
}

Size HeadlessBackend::GetWindowSize(const CDialog& dialog)
{
    // 8-point dialog font at 96 dpi: base units 6 x 13 pixels.
    return FramedDialogSize(DialogClientSize(dialog.Template(), 6, 13));
}

void HeadlessBackend::Invalidate(CDialog&, bool)
{
    m_invalid = true;
}

void HeadlessBackend::UpdateWindow(CDialog&)
{
    if (m_invalid)
        ++m_repaints;
    m_invalid = false;
}

void HeadlessBackend::Click(CDialog& dialog, int controlId)
{
    DoClick(dialog, controlId);
}

void HeadlessBackend::PostClick(CDialog& dialog, int controlId)
{
    PostMessage(dialog, kUserClick, static_cast<WPARAM>(controlId), 0);
}

void HeadlessBackend::ChooseSystemMenu(CDialog& dialog, UINT command)
{
    DoSystemMenu(dialog, command);
}

void HeadlessBackend::PostSystemMenu(CDialog& dialog, UINT command)
{
    PostMessage(dialog, kUserSystemMenu, command, 0);
}

void HeadlessBackend::DoClick(CDialog& dialog, int controlId)
{
    if (!dialog.UserClick(controlId))
        ++m_ignoredClicks;
}

void HeadlessBackend::DoSystemMenu(CDialog& dialog, UINT command)
{
    if (!dialog.UserSystemCommand(command))
        ++m_ignoredClicks;
}

} // namespace tvqx
