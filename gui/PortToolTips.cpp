#include "gui/PortToolTips.h"

#include "app/Resource.h"

namespace tvqx {

std::function<std::string(const CDialog&, int controlId)> PortToolTips(PortInventory& inventory)
{
    return [&inventory](const CDialog& dialog, int controlId) -> std::string {
        if (dialog.Template().id != IDD_TVQX_UPDATE_DIALOG || controlId < IDC_COM1 || controlId > IDC_COM22)
            return {};
        // Asked afresh each time: the list changes as adapters come and go.
        return inventory.DevicePath(controlId - IDC_COM1 + 1);
    };
}

} // namespace tvqx
