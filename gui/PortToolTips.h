#pragma once
// What the main window's port buttons stand for: the device behind each
// present COM port, shown as the button's tool tip.

#include "platform/LinuxPortInventory.h"
#include "ui/Dialog.h"

#include <functional>
#include <string>

namespace tvqx {

// Tool tips for the COM buttons of the main window: `describe(n)` for COMn,
// asked afresh each time (the list changes as adapters come and go); empty
// for every other control.
std::function<std::string(const CDialog&, int controlId)> PortToolTips(
    std::function<std::string(int portNumber)> describe);

// COMn as people recognise it: its device and, for a USB adapter, its maker,
// product and serial number; empty when there is no COMn.
std::function<std::string(int portNumber)> DescribeLinuxPorts(LinuxPortInventory& inventory, std::string home);

} // namespace tvqx
