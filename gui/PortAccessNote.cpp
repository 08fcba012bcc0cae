#include "gui/PortAccessNote.h"

#include <utility>

namespace tvqx {

std::string PortAccessNote(const PortAccessProblem& problem)
{
    if (problem.group.empty())
        return "You may not use " + problem.device + ": only its owner may open it.";
    return "You may not use " + problem.device + ": it is open to the members of the group \"" +
           problem.group + "\". Join it (sudo usermod -aG " + problem.group + " $USER), then log out and back in.";
}

void PortAccessNotes::RunEnded(const RunEnd& end)
{
    m_note.clear();
    if (end.cause != RunCause::PortNotOpened)
        return;
    if (const auto problem = m_check(m_inventory.DevicePath(end.port)))
        m_note = PortAccessNote(*problem);
}

std::string PortAccessNotes::TakeNote()
{
    return std::exchange(m_note, std::string());
}

} // namespace tvqx
