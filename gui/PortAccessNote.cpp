#include "gui/PortAccessNote.h"

#include "app/CannotOpenPortText.h"

namespace tvqx {

std::string PortAccessNote(const PortAccessProblem& problem)
{
    if (problem.group.empty())
        return "You may not use " + problem.device + ": only its owner may open it.";
    return "You may not use " + problem.device + ": it is open to the members of the group \"" +
           problem.group + "\". Join it (sudo usermod -aG " + problem.group + " $USER), then log out and back in.";
}

std::function<std::string(const std::string& text)> PortAccessNotes(PortInventory& inventory, PortAccessCheck check)
{
    return [&inventory, check = std::move(check)](const std::string& text) -> std::string {
        const int port = PortOfCannotOpenText(text);
        if (port == 0)
            return {};
        const auto problem = check(inventory.DevicePath(port));
        return problem ? PortAccessNote(*problem) : std::string();
    };
}

} // namespace tvqx
