#include "ui/qt/QtBackend.h"

#include "ui/qt/DialogWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>

namespace tvqx {

namespace {

constexpr UINT kIconMask = 0xF0;

} // namespace

// A modal loop of its own (a dialog, a message box) hands out posted messages
// again, even when it was opened from inside PumpMessage.
class QtBackend::ModalScope {
public:
    explicit ModalScope(QtBackend& backend)
        : m_backend(backend), m_depth(backend.m_pumpDepth), m_dispatching(backend.m_dispatchingFromPump)
    {
        backend.m_pumpDepth = 0;
        backend.m_dispatchingFromPump = false;
        backend.ScheduleDelivery();
    }
    ~ModalScope()
    {
        m_backend.m_pumpDepth = m_depth;
        m_backend.m_dispatchingFromPump = m_dispatching;
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    QtBackend& m_backend;
    int m_depth;
    bool m_dispatching;
};

QMessageBox::Icon MessageBoxIconFor(UINT type)
{
    switch (type & kIconMask) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QtBackend::QtBackend()
{
    // The classic look: group box titles sit on their frames.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
}

QtBackend::~QtBackend()
{
    while (WaitCursorDepth() > 0)
        EndWaitCursor();
}

DialogWindow* QtBackend::WindowOf(const CDialog& dialog) const
{
    const auto it = m_windows.find(&dialog);
    return it == m_windows.end() ? nullptr : it->second;
}

bool QtBackend::IsLive(const CDialog& dialog) const
{
    return m_windows.count(&dialog) != 0;
}

QWidget* QtBackend::InnermostWindow() const
{
    for (auto it = m_loops.rbegin(); it != m_loops.rend(); ++it)
        if (DialogWindow* w = WindowOf(*it->dialog))
            return w;
    return m_opened.empty() ? nullptr : WindowOf(*m_opened.back());
}

DialogWindow* QtBackend::Create(CDialog& dialog)
{
    auto* window = new DialogWindow(*this, dialog, InnermostWindow());
    m_windows[&dialog] = window;
    m_opened.push_back(&dialog);
    dialog.CreateFromTemplate();
    window->SyncAll();
    window->SyncWindow();
    if (!dialog.HasEnded()) {
        window->show();
        window->activateWindow();
        window->SyncFocus();
    }
    return window;
}

void QtBackend::Destroy(CDialog& dialog)
{
    dialog.Destroy();
    DialogWindow* window = WindowOf(dialog);
    Forget(dialog);
    delete window;
}

INT_PTR QtBackend::RunModal(CDialog& dialog)
{
    Create(dialog);
    if (!dialog.HasEnded()) {
        QEventLoop loop;
        m_loops.push_back({&dialog, &loop});
        {
            ModalScope scope(*this);
            if (onModalStart)
                onModalStart(dialog);
            if (!dialog.HasEnded())
                loop.exec(QEventLoop::DialogExec);
        }
        std::erase_if(m_loops, [&](const ModalLoop& l) { return l.loop == &loop; });
    }
    const INT_PTR result = dialog.Result();
    Destroy(dialog);
    return result;
}

void QtBackend::EndModal(CDialog& dialog)
{
    for (const ModalLoop& l : m_loops)
        if (l.dialog == &dialog)
            l.loop->exit(0);
}

void QtBackend::Forget(CDialog& dialog)
{
    std::erase_if(m_queue, [&](const PostedMessage& p) { return p.target == &dialog; });
    std::erase_if(m_timers, [&](const Timer& t) { return t.target == &dialog; });
    m_windows.erase(&dialog);
    std::erase(m_opened, &dialog);
}

BOOL QtBackend::PostMessage(CDialog& target, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsLive(target))
        return FALSE;
    m_queue.push_back({&target, message, wParam, lParam});
    ScheduleDelivery();
    return TRUE;
}

bool QtBackend::HasPending() const
{
    return !m_queue.empty() || std::any_of(m_timers.begin(), m_timers.end(), [](const Timer& t) { return t.due; });
}

void QtBackend::ScheduleDelivery()
{
    if (m_deliveryScheduled || !HasPending())
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(&m_context, [this] { Deliver(); }, Qt::QueuedConnection);
}

void QtBackend::Deliver()
{
    m_deliveryScheduled = false;
    // Inside PumpMessage the pump hands out the one message of its pass.
    if (m_pumpDepth > 0)
        return;
    DispatchOne();
    ScheduleDelivery();
}

bool QtBackend::DispatchOne()
{
    if (!m_queue.empty()) {
        const PostedMessage posted = m_queue.front();
        m_queue.pop_front();
        if (posted.message == WM_PAINT)
            Invalidate(*posted.target, false);
        posted.target->SendMessage(posted.message, posted.wParam, posted.lParam);
        return true;
    }
    // Timer messages only when nothing is posted, one per retrieval.
    for (Timer& t : m_timers) {
        if (!t.due)
            continue;
        t.due = false;
        CDialog* target = t.target;
        const UINT_PTR id = t.id;
        target->SendMessage(WM_TIMER, id, 0);   // may kill timers: t is not touched again
        return true;
    }
    return false;
}

bool QtBackend::PumpMessage()
{
    if (m_dispatchingFromPump) {
        // Called from a message this pump handed out: keep the window alive,
        // but the next message waits for the outer pass.
        QCoreApplication::processEvents();
        return true;
    }
    ++m_pumpDepth;
    // The repaint each pass asks for.
    for (const auto& entry : m_windows) {
        entry.second->ApplyLooks();
        entry.second->update();
    }
    QCoreApplication::processEvents();
    m_dispatchingFromPump = true;
    DispatchOne();
    m_dispatchingFromPump = false;
    --m_pumpDepth;
    ScheduleDelivery();
    return true;
}

UINT_PTR QtBackend::SetTimer(CDialog& target, UINT_PTR id, UINT periodMs)
{
    const int period = static_cast<int>(std::clamp<UINT>(periodMs, 1, 0x7FFFFFFF));
    for (Timer& t : m_timers) {
        if (t.target == &target && t.id == id) {
            t.due = false;
            t.timer->start(period);
            return id;
        }
    }
    Timer t{&target, id, std::make_unique<QTimer>(), false};
    QObject::connect(t.timer.get(), &QTimer::timeout, &m_context, [this, target = &target, id] {
        for (Timer& each : m_timers)
            if (each.target == target && each.id == id)
                each.due = true;
        ScheduleDelivery();
    });
    t.timer->start(period);
    m_timers.push_back(std::move(t));
    return id;
}

BOOL QtBackend::KillTimer(CDialog& target, UINT_PTR id)
{
    return std::erase_if(m_timers, [&](const Timer& t) { return t.target == &target && t.id == id; }) ? TRUE : FALSE;
}

int QtBackend::MessageBox(CDialog* owner, const std::string& text, const std::string& caption, UINT type)
{
    QWidget* parent = owner ? WindowOf(*owner) : nullptr;
    if (!parent)
        parent = InnermostWindow();
    std::string shown = text;
    if (m_messageNote) {
        const std::string note = m_messageNote(text);
        if (!note.empty())
            shown += "\n\n" + note;
    }
    QMessageBox box(MessageBoxIconFor(type), QString::fromStdString(caption), QString::fromStdString(shown),
                    QMessageBox::Ok, parent);
    // Blanks and line feeds are part of the program's texts.
    box.setTextFormat(Qt::PlainText);
    ModalScope scope(*this);
    if (interceptMessageBox && interceptMessageBox(box))
        return IDOK;
    box.exec();
    return IDOK;
}

// Qt keeps a stack of override cursors: one entry per wait.
void QtBackend::ShowWaitCursor(bool)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtBackend::HideWaitCursor(bool)
{
    QApplication::restoreOverrideCursor();
}

Size QtBackend::GetScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {1024, 768};
    const QSize size = screen->geometry().size();
    return {size.width(), size.height()};
}

Size QtBackend::GetWindowSize(const CDialog& dialog)
{
    if (const DialogWindow* w = WindowOf(dialog)) {
        if (w->isVisible()) {
            const QSize size = w->frameGeometry().size();
            return {size.width(), size.height()};
        }
        return FramedDialogSize({w->ClientSize().width(), w->ClientSize().height()});
    }
    const BaseUnits units = MeasureBaseUnits(DialogFont(dialog.Template()));
    return FramedDialogSize(DialogClientSize(dialog.Template(), units.cx, units.cy));
}

void QtBackend::ControlChanged(CDialog& dialog, int controlIndex)
{
    if (DialogWindow* w = WindowOf(dialog)) {
        w->SyncControl(controlIndex);
        w->ApplyLooks();
    }
}

void QtBackend::WindowChanged(CDialog& dialog)
{
    if (DialogWindow* w = WindowOf(dialog))
        w->SyncWindow();
}

void QtBackend::Invalidate(CDialog& dialog, bool)
{
    if (DialogWindow* w = WindowOf(dialog)) {
        w->ApplyLooks();
        w->update();
    }
}

void QtBackend::UpdateWindow(CDialog& dialog)
{
    if (DialogWindow* w = WindowOf(dialog)) {
        w->ApplyLooks();
        if (w->isVisible())
            w->repaint();
    }
}

bool QtBackend::IsIconic(const CDialog& dialog)
{
    const DialogWindow* w = WindowOf(dialog);
    return w && w->isMinimized();
}

void QtBackend::FocusChanged(CDialog& dialog)
{
    if (DialogWindow* w = WindowOf(dialog))
        w->SyncFocus();
}

void QtBackend::SetApplicationIcon(const QIcon& icon)
{
    m_applicationIcon = icon;
    QApplication::setWindowIcon(icon);
}

void QtBackend::SetIconResource(int resourceId, const QIcon& icon)
{
    m_icons[resourceId] = icon;
}

QIcon QtBackend::IconResource(int resourceId) const
{
    const auto it = m_icons.find(resourceId);
    return it == m_icons.end() ? m_applicationIcon : it->second;
}

std::string QtBackend::ToolTipFor(const CDialog& dialog, int controlId) const
{
    return m_toolTips ? m_toolTips(dialog, controlId) : std::string();
}

void QtBackend::UserClicked(CDialog& dialog, int controlId)
{
    dialog.UserClick(controlId);
}

void QtBackend::UserSystemCommand(CDialog& dialog, UINT command)
{
    dialog.UserSystemCommand(command);
}

} // namespace tvqx
