#pragma once
// What the main window's port buttons stand for: the device behind each
// present COM port, shown as the button's tool tip.

#include "platform/PortInventory.h"
#include "ui/Dialog.h"

#include <functional>
#include <string>

namespace tvqx {

// Tool tips for the COM buttons of the main window from the port inventory;
// empty for every other control and for ports that are not there.
std::function<std::string(const CDialog&, int controlId)> PortToolTips(PortInventory& inventory);

} // namespace tvqx
