#include "gui/PortToolTips.h"

#include "app/Resource.h"

namespace tvqx {

std::function<std::string(const CDialog&, int controlId)> PortToolTips(
    std::function<std::string(int portNumber)> describe)
{
    return [describe = std::move(describe)](const CDialog& dialog, int controlId) -> std::string {
        if (dialog.Template().id != IDD_TVQX_UPDATE_DIALOG || controlId < IDC_COM1 || controlId > IDC_COM22)
            return {};
        return describe(controlId - IDC_COM1 + 1);
    };
}

std::function<std::string(int portNumber)> DescribeLinuxPorts(LinuxPortInventory& inventory, std::string home)
{
    return [&inventory, home = std::move(home)](int portNumber) -> std::string {
        for (const ComPortListing& port : inventory.ListPorts())
            if (port.number == portNumber)
                return DescribePort(port, home);
        return {};
    };
}

} // namespace tvqx
