#include "ui/SystemMenu.h"

namespace tvqx {

SystemMenu::SystemMenu()
{
    m_items = {
        {SC_RESTORE, "&Restore", false, MF_GRAYED},
        {SC_MOVE, "&Move", false, MF_ENABLED},
        {SC_MINIMIZE, "Mi&nimize", false, MF_ENABLED},
        {0, "", true, MF_ENABLED},
        {SC_CLOSE, "&Close\tAlt+F4", false, MF_ENABLED},
    };
}

BOOL SystemMenu::AppendMenu(UINT flags, UINT id, const std::string& text)
{
    MenuItem item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    item.id = item.separator ? 0 : id;
    item.text = item.separator ? std::string() : text;
    item.state = flags & (MF_GRAYED | MF_DISABLED);
    m_items.push_back(item);
    if (onChanged)
        onChanged();
    return TRUE;
}

int SystemMenu::EnableMenuItem(UINT id, UINT flags)
{
    for (auto& item : m_items) {
        if (!item.separator && item.id == id) {
            const int previous = static_cast<int>(item.state);
            item.state = flags & (MF_GRAYED | MF_DISABLED);
            if (onChanged)
                onChanged();
            return previous;
        }
    }
    return -1;
}

const MenuItem* SystemMenu::Find(UINT id) const
{
    for (const auto& item : m_items)
        if (!item.separator && item.id == id)
            return &item;
    return nullptr;
}

bool SystemMenu::IsEnabled(UINT id) const
{
    const MenuItem* item = Find(id);
    return item && item->state == MF_ENABLED;
}

} // namespace tvqx
