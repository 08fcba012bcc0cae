#pragma once
// Everything the program's window and procedures reach outside themselves,
// handed in by whoever starts the program (a front end or a test).

#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/PortLayer.h"
#include "ui/UiBackend.h"
#include "update/UpdateEvents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx {

struct ProgramServices {
    UiBackend& ui;
    TickClock& clock;
    PortLayer& ports;
    PortInventory& inventory;
    Profile& profile;
    WindowDirectory& windows;
    ShellOpen& shell;
    int updateVariant = 10;   // which procedure "Begin Update" runs
    // Told what the update does (waiting, progress, the end of a run); none
    // when nobody watches.
    UpdateObserver* observer = nullptr;
    int linkFrameType = 0;    // which radio frame form the link sends use
    // The program file's name without extension: the caption of the
    // application's own message boxes.
    std::string applicationName = "tvqx-update";
    // The page image made and held by whoever runs several units at once:
    // "Begin Update" then sends these bytes instead of converting the HEX
    // file itself. None in a single run.
    const std::vector<uint8_t>* preparedImage = nullptr;
};

} // namespace tvqx
