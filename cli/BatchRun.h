#pragma once
// Several units updated at once from one console: each unit is driven by an
// instance of the window's logic of its own (its own port, timers, messages
// and clock reads), on a thread of its own, exactly as a single run drives
// it. Every line a unit prints starts with its port name ("COM3: "); a
// summary follows once the last unit is done.
//
// The firmware files are read once, while nothing else may change them: the
// page image is converted once and held (sharing denied) until the last unit
// is done, then removed, and each unit's window works on a private copy of
// exactly the bytes that were read, so that no two units ever wait for each
// other's files and no other copy of the program can change what they send.

#include "cli/UpdateRun.h"
#include "platform/Profile.h"
#include "ui/headless/HeadlessBackend.h"
#include "update/ProgramServices.h"

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tvqx::cli {

// What one unit's window runs on: its own services and backend.
class UnitSurroundings {
public:
    virtual ~UnitSurroundings() = default;
    virtual ProgramServices& Services() = 0;   // its `ui` is Ui()
    virtual HeadlessBackend& Ui() = 0;
};

struct BatchSetup {
    // The surroundings of the unit on COMn; called on the unit's thread.
    std::function<std::unique_ptr<UnitSurroundings>(int port)> makeUnit;
    std::string programDir;   // where the firmware files lie, ending in '/'
    std::string tempDir;      // for the page image, ending in '/'
    int updateVariant = 10;
    // As for a single run (see UpdateRunSetup).
    std::function<std::string(const std::string& devicePath)> accessHint;
    // True once for each Ctrl-C.
    std::function<bool()> interruptRequested;
    // Whether Ctrl-C now cancels (every unit still running waits in a way
    // "Cancel Update" ends) rather than ends the program at once.
    std::function<void(bool cancels)> interruptCancels;
};

// Updates the units on `ports` (COM numbers, none twice) at once. Returns
// the exit status: 0 when every unit was updated, 130 after Ctrl-C, 2 when
// the firmware files let no unit start, 1 otherwise.
int RunBatch(BatchSetup& setup, const std::vector<int>& ports, std::ostream& out, std::ostream& err);

// The settings a unit of a batch reads: the user's own, never written (a
// batch leaves the saved port as it was); what the unit writes it reads back.
class ReadOnlySettings final : public Profile {
public:
    explicit ReadOnlySettings(Profile& settings) : m_settings(settings) {}
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;

private:
    Profile& m_settings;
    std::map<std::string, int> m_written;
};

} // namespace tvqx::cli
