#pragma once
// The window's word on a port that would not open because this user may not
// use its device: added under the procedure's own message.

#include "platform/PortAccess.h"
#include "platform/PortInventory.h"
#include "update/UpdateEvents.h"

#include <functional>
#include <optional>
#include <string>

namespace tvqx {

// What to do about `problem`, in a sentence or two.
std::string PortAccessNote(const PortAccessProblem& problem);

using PortAccessCheck = std::function<std::optional<PortAccessProblem>(const std::string& devicePath)>;

// Watches the update: when a run ends because its port would not open and
// the port's device is closed to this user, the note for the message box
// that says so (it follows the run's end at once).
class PortAccessNotes final : public UpdateObserver {
public:
    explicit PortAccessNotes(PortInventory& inventory, PortAccessCheck check = FindPortAccessProblem)
        : m_inventory(inventory), m_check(std::move(check))
    {
    }

    void RunEnded(const RunEnd& end) override;
    // The note for the message box being shown, once; empty when none.
    std::string TakeNote();

private:
    PortInventory& m_inventory;
    PortAccessCheck m_check;
    std::string m_note;
};

} // namespace tvqx
