#include "ui/qt/DialogWindow.h"

#include "ui/qt/ControlWidgets.h"
#include "ui/qt/QtBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace tvqx {

namespace {

// A window's standard system menu items come first; a program appends after them.
size_t StandardSystemMenuItems()
{
    static const size_t count = SystemMenu().Items().size();
    return count;
}

bool IsButton(ControlKind kind)
{
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton;
}

} // namespace

DialogWindow::DialogWindow(QtBackend& backend, CDialog& dialog, QWidget* parent)
    : QDialog(parent), m_backend(backend), m_dialog(dialog)
{
    const DialogTemplate& t = dialog.Template();
    const QFont font = DialogFont(t);
    setFont(font);
    m_units = MeasureBaseUnits(font);
    const Size client = DialogClientSize(t, m_units.cx, m_units.cy);
    m_clientSize = QSize(client.cx, client.cy);

    // A fixed modal frame: no resizing, no maximising; a taskbar button of
    // its own when the template asks for one.
    Qt::WindowFlags flags = (t.style & DS_APPWINDOW) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    if (t.style & DS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & DS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(false);
    setFixedSize(m_clientSize);
    BuildControls();
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::BuildControls()
{
    const DialogTemplate& t = m_dialog.Template();
    QWidget* previousStop = nullptr;
    for (const ControlTemplate& c : t.controls) {
        QWidget* w = CreateControlWidget(c, DialogUnitsToPixels(c, m_units), this);
        w->installEventFilter(this);
        const int id = c.id;
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && id != IDC_STATIC)
            connect(button, &QAbstractButton::clicked, this, [this, id] { m_backend.UserClicked(m_dialog, id); });
        if (c.kind == ControlKind::RichEdit) {
            static_cast<LinkTextEdit*>(w)->onLinkMouse = [this, id](UINT msg, const CHARRANGE& range) {
                ENLINK link;
                link.nmhdr = {0, static_cast<UINT_PTR>(id), EN_LINK};
                link.msg = msg;
                link.chrg = range;
                m_dialog.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&link));
            };
        }
        if (c.kind == ControlKind::Icon)
            static_cast<QLabel*>(w)->setPixmap(m_backend.IconResource(0).pixmap(32, 32));
        // Tab moves through the controls in template order. Every control
        // that can take the focus is in the chain, as a radio button's tab
        // stop comes and goes with its check (SyncRadioTabStops).
        if (w->focusPolicy() != Qt::NoFocus) {
            if (previousStop)
                QWidget::setTabOrder(previousStop, w);
            previousStop = w;
        }
        m_controls.push_back(w);
        m_looks.push_back(ControlLook{});
    }
}

QWidget* DialogWindow::ControlAt(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_controls.size() ? m_controls[static_cast<size_t>(index)]
                                                                         : nullptr;
}

QWidget* DialogWindow::Control(int id) const
{
    return ControlAt(m_dialog.Template().IndexOf(id));
}

int DialogWindow::IndexOfWidget(const QObject* widget) const
{
    const auto it = std::find(m_controls.begin(), m_controls.end(), widget);
    return it == m_controls.end() ? -1 : static_cast<int>(it - m_controls.begin());
}

void DialogWindow::SyncControl(int index)
{
    const auto& states = m_dialog.Controls();
    if (index < 0 || static_cast<size_t>(index) >= states.size() || !ControlAt(index))
        return;
    const ControlTemplate& c = m_dialog.Template().controls[static_cast<size_t>(index)];
    SyncControlWidget(ControlAt(index), c, states[static_cast<size_t>(index)]);
    if (c.kind == ControlKind::AutoRadioButton)
        SyncRadioTabStops();
}

void DialogWindow::SyncRadioTabStops()
{
    // A check, an enabling or a hiding may move a group's one tab stop.
    const auto& controls = m_dialog.Template().controls;
    for (size_t i = 0; i < controls.size() && i < m_controls.size(); ++i) {
        if (controls[i].kind != ControlKind::AutoRadioButton)
            continue;
        const Qt::FocusPolicy policy = m_dialog.IsTabStop(static_cast<int>(i)) ? Qt::StrongFocus : Qt::ClickFocus;
        if (m_controls[i]->focusPolicy() != policy)
            m_controls[i]->setFocusPolicy(policy);
    }
}

void DialogWindow::SyncAll()
{
    for (size_t i = 0; i < m_controls.size(); ++i)
        SyncControl(static_cast<int>(i));
    ApplyLooks();
}

void DialogWindow::SyncWindow()
{
    const QString caption = QString::fromStdString(m_dialog.GetWindowText());
    if (windowTitle() != caption)
        setWindowTitle(caption);
    // Only a move by the dialog moves the window: where the user dragged it
    // stays, whatever else the dialog changes.
    const Rect r = m_dialog.GetWindowRect();
    if (r.left != m_appliedPosition.x || r.top != m_appliedPosition.y) {
        m_appliedPosition = {r.left, r.top};
        move(r.left, r.top);
    }
    const int icon = m_dialog.GetIcon(true) ? m_dialog.GetIcon(true) : m_dialog.GetIcon(false);
    if (icon != 0)
        setWindowIcon(m_backend.IconResource(icon));
}

void DialogWindow::ApplyLooks()
{
    if (m_applyingLooks || !m_dialog.IsCreated())
        return;
    m_applyingLooks = true;
    const auto& controls = m_dialog.Template().controls;
    for (size_t i = 0; i < controls.size() && i < m_controls.size(); ++i) {
        const ControlLook look = m_dialog.GetControlLook(controls[i].id);
        if (look == m_looks[i])
            continue;
        m_looks[i] = look;
        QWidget* w = m_controls[i];
        if (!look.custom) {
            // Back to what the window gives every control.
            w->setFont(QFont());
            w->setPalette(QPalette());
            continue;
        }
        QFont f = font();
        if (look.font.heightTenthsPt > 0)
            f = PointFont(look.font.face.empty() ? m_dialog.Template().fontFace : look.font.face,
                          look.font.heightTenthsPt, look.font.weight);
        w->setFont(f);
        QPalette p = palette();
        const QColor color(look.textColor & 0xFF, (look.textColor >> 8) & 0xFF, (look.textColor >> 16) & 0xFF);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(role, color);
        w->setPalette(p);
        w->setAutoFillBackground(!look.transparentBackground && qobject_cast<QLabel*>(w) == nullptr);
    }
    m_applyingLooks = false;
}

void DialogWindow::SyncFocus()
{
    QWidget* w = Control(m_dialog.GetFocusId());
    if (w && w->isEnabled() && !w->isHidden() && w != QApplication::focusWidget())
        w->setFocus(Qt::OtherFocusReason);
}

std::unique_ptr<QMenu> DialogWindow::BuildSystemMenuPopup()
{
    const SystemMenu* systemMenu = m_dialog.GetSystemMenu();
    if (!systemMenu)
        return nullptr;
    auto popup = std::make_unique<QMenu>(this);
    bool separatorPending = false;
    const auto& items = systemMenu->Items();
    for (size_t i = StandardSystemMenuItems(); i < items.size(); ++i) {
        const MenuItem& item = items[i];
        if (item.separator) {
            // Between items only: the popup has no standard entries above.
            separatorPending = !popup->isEmpty();
            continue;
        }
        if (separatorPending)
            popup->addSeparator();
        separatorPending = false;
        QAction* action = popup->addAction(QString::fromStdString(item.text));
        action->setData(static_cast<uint>(item.id));
        action->setEnabled(item.state == MF_ENABLED);
    }
    if (popup->isEmpty())
        return nullptr;
    return popup;
}

bool DialogWindow::event(QEvent* event)
{
    // The colour rule may depend on state that changed without a control
    // changing: look again before every repaint.
    if (event->type() == QEvent::UpdateRequest)
        ApplyLooks();
    return QDialog::event(event);
}

int DialogWindow::CommandForEnter() const
{
    // The focused push button, else the default push button, else IDOK.
    const auto& controls = m_dialog.Template().controls;
    const int focused = IndexOfWidget(QApplication::focusWidget());
    if (focused >= 0 && IsButton(controls[static_cast<size_t>(focused)].kind))
        return controls[static_cast<size_t>(focused)].id;
    for (const auto& c : controls)
        if (c.kind == ControlKind::DefPushButton)
            return c.id;
    return IDOK;
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // A disabled Cancel button refuses Escape, as it refuses Close.
        if (!m_dialog.HasControl(IDCANCEL) || m_dialog.IsDlgItemEnabled(IDCANCEL))
            m_dialog.SendMessage(WM_COMMAND, IDCANCEL, 0);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int id = CommandForEnter();
        if (m_dialog.HasControl(id))
            m_backend.UserClicked(m_dialog, id);
        else
            m_dialog.SendMessage(WM_COMMAND, static_cast<WPARAM>(static_cast<uint16_t>(id)), 0);
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right: {
        // The radio buttons pass their arrow keys on to here; the dialog
        // moves the focus and the check within the group.
        const bool back = event->key() == Qt::Key_Up || event->key() == Qt::Key_Left;
        if (IndexOfWidget(QApplication::focusWidget()) >= 0 && m_dialog.UserArrowKey(back))
            return;
        break;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);   // not QDialog's: Escape and Enter are ours
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // The dialog decides: Close is a system command like any other.
    event->ignore();
    m_backend.UserSystemCommand(m_dialog, SC_CLOSE);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // The window manager owns the title bar's menu; what the program added to
    // its system menu is offered here instead.
    std::unique_ptr<QMenu> popup = BuildSystemMenuPopup();
    if (!popup)
        return;
    if (QAction* chosen = popup->exec(event->globalPos()))
        m_backend.UserSystemCommand(m_dialog, chosen->data().toUInt());
}

void DialogWindow::paintEvent(QPaintEvent* event)
{
    if (isMinimized()) {
        // A minimised window shows the application icon in its middle.
        QPainter painter(this);
        constexpr int kIconSize = 32;
        painter.drawPixmap((width() - kIconSize + 1) / 2, (height() - kIconSize + 1) / 2,
                           windowIcon().pixmap(kIconSize, kIconSize));
        return;
    }
    QDialog::paintEvent(event);
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int index = IndexOfWidget(watched);
    if (index < 0)
        return QDialog::eventFilter(watched, event);
    const ControlTemplate& c = m_dialog.Template().controls[static_cast<size_t>(index)];
    if (event->type() == QEvent::FocusIn && c.id != IDC_STATIC) {
        m_dialog.FocusMovedTo(c.id);
        if (c.kind == ControlKind::RichEdit) {
            m_dialog.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<uint16_t>(c.id), EN_SETFOCUS), 0);
            if (QApplication::focusWidget() != watched)
                return true;   // the dialog sent the focus on already
        }
    } else if (event->type() == QEvent::ToolTip && c.id != IDC_STATIC) {
        static_cast<QWidget*>(watched)->setToolTip(QString::fromStdString(m_backend.ToolTipFor(m_dialog, c.id)));
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tvqx
