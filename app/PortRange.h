#pragma once
// Ports the window cannot offer. Windows often numbers USB adapters COM23 and
// up, while the window has buttons for COM1 to COM22 only: such a port is
// named, with how to give it a number the window has.

#include <string>
#include <vector>

namespace tvqx {

// n of a port named COMn (any case) when n is above 22; 0 for anything else.
int ComNumberAboveRange(const std::string& name);

// Where a port gets another number; the window and the console say the same.
inline constexpr const char* kRenumberSteps =
    "in Device Manager, the port's Properties, Port Settings, Advanced, COM Port Number";

// The window's line under the port group for these ports; empty for none.
std::string OutOfRangeNote(const std::vector<int>& numbers);

} // namespace tvqx
