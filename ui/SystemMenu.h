#pragma once
// A window's system menu as data: the standard entries, whatever the program
// appends, and which are greyed. Backends show it where their platform puts it.

#include "ui/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace tvqx {

struct MenuItem {
    UINT id = 0;
    std::string text;
    bool separator = false;
    UINT state = MF_ENABLED;   // MF_ENABLED, MF_GRAYED or MF_DISABLED
};

class SystemMenu {
public:
    SystemMenu();

    BOOL AppendMenu(UINT flags, UINT id = 0, const std::string& text = {});
    // Returns the item's previous state, or -1 when there is no such item.
    int EnableMenuItem(UINT id, UINT flags);
    const MenuItem* Find(UINT id) const;
    bool IsEnabled(UINT id) const;   // present and neither greyed nor disabled
    const std::vector<MenuItem>& Items() const { return m_items; }

    // Called after every change, so a backend can update what it shows.
    std::function<void()> onChanged;

private:
    std::vector<MenuItem> m_items;
};

} // namespace tvqx
