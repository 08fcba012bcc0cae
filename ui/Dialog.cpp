#include "ui/Dialog.h"

namespace tvqx {

CDialog::CDialog(const DialogTemplate& dialogTemplate, UiBackend& ui)
    : m_ui(ui), m_template(dialogTemplate)
{
}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    return m_ui.RunModal(*this);
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    m_ui.EndModal(*this);
}

void CDialog::EndAsClosed()
{
    SendMessage(WM_COMMAND, IDCANCEL, 0);
    if (!m_ended)
        EndDialog(IDCANCEL);
}

void CDialog::CreateFromTemplate()
{
    m_controls.clear();
    for (const auto& c : m_template.controls) {
        ControlState state;
        state.text = c.text;
        state.enabled = (c.style & CS_DISABLED) == 0;
        state.visible = (c.style & CS_HIDDEN) == 0;
        m_controls.push_back(state);
    }
    m_caption = m_template.caption;
    if (m_template.style & DS_SYSMENU) {
        m_systemMenu.emplace();
        m_systemMenu->onChanged = [this] { m_ui.WindowChanged(*this); };
    }
    m_ended = false;
    m_result = 0;
    m_focusId = 0;
    m_created = true;
    // TRUE asks for the focus on the first tab stop.
    if (OnInitDialog() && m_focusId == 0)
        MoveFocusToTabStop(false);
}

void CDialog::Destroy()
{
    if (!m_created)
        return;
    SendMessage(WM_DESTROY);
    m_created = false;
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const auto& entry : m_map) {
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND &&
            (entry.commandId != static_cast<int>(LOWORD(wParam)) || entry.notifyCode != HIWORD(wParam)))
            continue;
        if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || entry.commandId != static_cast<int>(header->idFrom) || entry.notifyCode != header->code)
                continue;
        }
        return entry.handler(wParam, lParam);
    }
    return DefWindowProc(message, wParam, lParam);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_ui.PostMessage(*this, message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return 0;   // a notification nobody asked for
        if (LOWORD(wParam) == IDOK)
            OnOK();
        else if (LOWORD(wParam) == IDCANCEL)
            OnCancel();
        return 0;
    case WM_SYSCOMMAND:
        // A dialog turns its Close command into Cancel, unless its Cancel
        // button is disabled: then the window refuses to close.
        if ((wParam & 0xFFF0) == SC_CLOSE && (!HasControl(IDCANCEL) || IsDlgItemEnabled(IDCANCEL)))
            SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    case WM_NEXTDLGCTL:
        if (lParam) {
            if (HasControl(static_cast<int>(wParam)) && m_focusId != static_cast<int>(wParam)) {
                m_focusId = static_cast<int>(wParam);
                m_ui.FocusChanged(*this);
            }
        } else {
            MoveFocusToTabStop(wParam != 0);
            m_ui.FocusChanged(*this);
        }
        return 0;
    default:
        return 0;
    }
}

void CDialog::OnMessage(UINT message, MessageHandler handler)
{
    m_map.push_back({message, -1, 0, std::move(handler)});
}

void CDialog::OnCommand(int id, std::function<void()> handler)
{
    OnControlNotify(id, BN_CLICKED, std::move(handler));
}

void CDialog::OnControlNotify(int id, UINT notifyCode, std::function<void()> handler)
{
    m_map.push_back({WM_COMMAND, id, notifyCode, [h = std::move(handler)](WPARAM, LPARAM) {
                         h();
                         return LRESULT(0);
                     }});
}

void CDialog::OnNotify(int id, UINT notifyCode, std::function<void(NMHDR*, LRESULT*)> handler)
{
    m_map.push_back({WM_NOTIFY, id, notifyCode, [h = std::move(handler)](WPARAM, LPARAM lParam) {
                         LRESULT result = 0;
                         h(reinterpret_cast<NMHDR*>(lParam), &result);
                         return result;
                     }});
}

bool CDialog::CanTakeFocus(size_t index) const
{
    return index < m_controls.size() && m_controls[index].enabled && m_controls[index].visible;
}

CDialog::IndexSpan CDialog::RadioGroupOf(size_t index) const
{
    const auto& controls = m_template.controls;
    auto isRadio = [&](size_t i) { return i < controls.size() && controls[i].kind == ControlKind::AutoRadioButton; };
    IndexSpan span{index, index};
    while (span.first > 0 && !(controls[span.first].style & CS_GROUP) && isRadio(span.first - 1))
        --span.first;
    while (isRadio(span.last + 1) && !(controls[span.last + 1].style & CS_GROUP))
        ++span.last;
    return span;
}

bool CDialog::IsTabStop(int index) const
{
    const auto& controls = m_template.controls;
    if (index < 0 || static_cast<size_t>(index) >= controls.size())
        return false;
    const auto i = static_cast<size_t>(index);
    if (controls[i].kind != ControlKind::AutoRadioButton)
        return (controls[i].style & CS_TABSTOP) != 0;
    const IndexSpan group = RadioGroupOf(i);
    bool groupHasStop = false;
    for (size_t j = group.first; j <= group.last; ++j)
        groupHasStop = groupHasStop || (controls[j].style & CS_TABSTOP) != 0;
    if (!groupHasStop)
        return false;
    for (size_t j = group.first; j <= group.last; ++j)
        if (CanTakeFocus(j) && m_controls[j].checked)
            return j == i;
    for (size_t j = group.first; j <= group.last; ++j)
        if (CanTakeFocus(j))
            return j == i;
    return false;
}

void CDialog::MoveFocusToTabStop(bool previous)
{
    // The tab stops that can take the focus, in template order.
    std::vector<int> stops;
    for (size_t i = 0; i < m_template.controls.size() && i < m_controls.size(); ++i) {
        const auto& c = m_template.controls[i];
        if (c.id != IDC_STATIC && CanTakeFocus(i) && IsTabStop(static_cast<int>(i)))
            stops.push_back(c.id);
    }
    if (stops.empty())
        return;
    size_t at = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == m_focusId)
            at = i;
    if (at == stops.size())
        m_focusId = previous ? stops.back() : stops.front();
    else
        m_focusId = stops[(at + (previous ? stops.size() - 1 : 1)) % stops.size()];
}

int CDialog::IndexOf(int id) const
{
    // Before the window is made there are no control states to go by.
    const int i = m_template.IndexOf(id);
    return static_cast<size_t>(i) < m_controls.size() ? i : -1;
}

void CDialog::Changed(int index)
{
    m_ui.ControlChanged(*this, index);
}

void CDialog::SetDlgItemText(int id, const std::string& text)
{
    const int i = IndexOf(id);
    if (i < 0)
        return;
    m_controls[i].text = text;
    Changed(i);
}

std::string CDialog::GetDlgItemText(int id) const
{
    const int i = IndexOf(id);
    return i < 0 ? std::string() : m_controls[i].text;
}

template <typename Value>
void CDialog::SetState(int id, Value ControlState::*field, Value value)
{
    // Only a real change reaches the backend, which redraws the control.
    const int i = IndexOf(id);
    if (i < 0 || m_controls[i].*field == value)
        return;
    m_controls[i].*field = std::move(value);
    Changed(i);
}

bool CDialog::StateFlag(int id, bool ControlState::*flag) const
{
    const int i = IndexOf(id);
    return i >= 0 && m_controls[i].*flag;
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    SetState(id, &ControlState::enabled, enable);
}

bool CDialog::IsDlgItemEnabled(int id) const
{
    return StateFlag(id, &ControlState::enabled);
}

void CDialog::ShowDlgItem(int id, bool show)
{
    SetState(id, &ControlState::visible, show);
}

bool CDialog::IsDlgItemVisible(int id) const
{
    return StateFlag(id, &ControlState::visible);
}

void CDialog::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id)
        CheckDlgButton(id, id == checkId);
}

int CDialog::GetCheckedRadioButton(int firstId, int lastId) const
{
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id))
            return id;
    return 0;
}

void CDialog::CheckDlgButton(int id, bool check)
{
    SetState(id, &ControlState::checked, check);
}

bool CDialog::IsDlgButtonChecked(int id) const
{
    return StateFlag(id, &ControlState::checked);
}

void CDialog::SetDlgItemLinks(int id, std::vector<CHARRANGE> links)
{
    SetState(id, &ControlState::links, std::move(links));
}

void CDialog::SetWindowText(const std::string& caption)
{
    m_caption = caption;
    m_ui.WindowChanged(*this);
}

SystemMenu* CDialog::GetSystemMenu()
{
    return m_systemMenu ? &*m_systemMenu : nullptr;
}

const SystemMenu* CDialog::GetSystemMenu() const
{
    return m_systemMenu ? &*m_systemMenu : nullptr;
}

Rect CDialog::GetWindowRect() const
{
    const Size size = m_ui.GetWindowSize(*this);
    return {m_position.x, m_position.y, m_position.x + size.cx, m_position.y + size.cy};
}

void CDialog::MoveWindow(int x, int y, int /*width*/, int /*height*/, bool repaint)
{
    // The program's dialogs have a fixed size; only the position moves.
    m_position = {x, y};
    m_ui.WindowChanged(*this);
    if (repaint)
        m_ui.Invalidate(*this, true);
}

void CDialog::SetIcon(int iconResource, bool big)
{
    (big ? m_bigIcon : m_smallIcon) = iconResource;
    m_ui.WindowChanged(*this);
}

ControlLook CDialog::GetControlLook(int id)
{
    return OnCtlColor(id, ControlLook{});
}

bool CDialog::UserClick(int controlId)
{
    if (!HasControl(controlId) || !IsDlgItemEnabled(controlId) || !IsDlgItemVisible(controlId))
        return false;
    const int index = IndexOf(controlId);
    if (m_template.controls[static_cast<size_t>(index)].kind == ControlKind::AutoRadioButton) {
        const IndexSpan group = RadioGroupOf(static_cast<size_t>(index));
        for (size_t j = group.first; j <= group.last; ++j)
            CheckDlgButton(m_template.controls[j].id, j == static_cast<size_t>(index));
    }
    SendMessage(WM_COMMAND, static_cast<WPARAM>(static_cast<uint16_t>(controlId)), 0);
    return true;
}

bool CDialog::UserArrowKey(bool previous)
{
    const int at = IndexOf(m_focusId);
    if (at < 0 || m_template.controls[static_cast<size_t>(at)].kind != ControlKind::AutoRadioButton)
        return false;
    const IndexSpan group = RadioGroupOf(static_cast<size_t>(at));
    const size_t count = group.last - group.first + 1;
    const size_t from = static_cast<size_t>(at) - group.first;
    // Buttons that cannot be chosen are passed over.
    for (size_t k = 1; k < count; ++k) {
        const size_t j = group.first + (from + (previous ? count - k : k)) % count;
        if (!CanTakeFocus(j))
            continue;
        const int id = m_template.controls[j].id;
        m_focusId = id;
        m_ui.FocusChanged(*this);
        if (!m_controls[j].checked)
            UserClick(id);
        return true;
    }
    return false;
}

bool CDialog::UserSystemCommand(UINT command)
{
    // A window without a system menu can still be closed.
    const SystemMenu* menu = GetSystemMenu();
    if (menu ? !menu->IsEnabled(command) : command != SC_CLOSE)
        return false;
    SendMessage(WM_SYSCOMMAND, command, 0);
    return true;
}

} // namespace tvqx
