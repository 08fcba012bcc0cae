#pragma once
// The window's word on a port that would not open because this user may not
// use its device: added under the procedure's own message.

#include "platform/PortAccess.h"
#include "platform/PortInventory.h"

#include <functional>
#include <optional>
#include <string>

namespace tvqx {

// What to do about `problem`, in a sentence or two.
std::string PortAccessNote(const PortAccessProblem& problem);

using PortAccessCheck = std::function<std::optional<PortAccessProblem>(const std::string& devicePath)>;

// For a message box text: the note when it is a procedure's "Unable to open
// serial port COMn" and COMn's device is closed to this user; empty for
// every other text.
std::function<std::string(const std::string& text)> PortAccessNotes(PortInventory& inventory,
                                                                    PortAccessCheck check = FindPortAccessProblem);

} // namespace tvqx
