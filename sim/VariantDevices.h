#pragma once
// The unit as each update procedure meets it, built from the simulator's
// parts:
//
//   1   wake-up handshake at 115200 baud, then the row boot loader
//   2   running application at 9600 baud, handing over to the row boot loader
//   4   wake-up handshake at 9600 baud, then the page boot loader, 256-byte pages
//   5   the same, listening for polls only after the start command
//   10  the page boot loader, 128-byte pages
//   3   a radio gateway on the line, reaching over its radio a remote unit
//       whose probe front stands before the row boot loader
//   6   the same with the page boot loader, 256-byte pages
//
// The parts stay reachable for scripting and inspection; the accessors give
// what a trace or a test needs without knowing which parts there are.

#include "sim/ApplicationFront.h"
#include "sim/PageBootLoader.h"
#include "sim/RadioGateway.h"
#include "sim/RadioOptions.h"
#include "sim/RowBootLoader.h"
#include "sim/RoverUnit.h"
#include "sim/SimDevice.h"
#include "sim/WakeUpFront.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tvqx::sim {

// Each variant uses the parts it has and ignores the rest. The wake-up
// front's speed is the variant's; variant 5 always requires the start
// command.
struct VariantDeviceFaults {
    WakeUpOptions wakeUp{};
    ApplicationOptions application{};
    RowBootLoaderFaults rows{};
    PageBootLoaderFaults pages{};
    RadioOptions radio{};
};

struct VariantDevice {
    int variant = 0;
    // Exactly one boot loader; a front where the variant has one.
    std::unique_ptr<RowBootLoader> rowLoader;
    std::unique_ptr<PageBootLoader> pageLoader;
    std::unique_ptr<WakeUpFront> wakeUp;
    std::unique_ptr<ApplicationFront> application;
    // The radio variants: the remote unit before the gateway that reaches
    // it, so that the gateway goes first.
    std::unique_ptr<RoverUnit> rover;
    std::unique_ptr<RadioGateway> gateway;

    // The part the serial line leads to.
    SimDevice& Line();
    const SimDevice& Line() const;

    // The boot loader's flash.
    const std::vector<uint8_t>& Flash() const;
    // Every byte the program sent, as the outermost part heard it.
    const std::vector<ReceivedByte>& Received() const;
    const std::vector<PowerEvent>& PowerEvents() const;
    // The end-of-file record or the end marker has arrived.
    bool UpdateComplete() const;
    // Rows or pages the boot loader has taken, across power cycles.
    size_t BlocksReceived() const;
    // Where the unit stands, in a few words ("waiting for polls",
    // "receiving rows", "done", ...): a change of it is worth a trace line.
    std::string StageName() const;
    // The speed of whichever part has the line now.
    uint32_t TalkingBaud() const;
    // The remote unit's Setup button (radio variants only; nothing else).
    void PressSetupButton(uint64_t nowMs);
    // Every part tells `sink` what it does (none: nobody is told).
    void SetTraceSink(TraceSink* sink);
};

bool HasDeviceForVariant(int variant);
// Throws std::invalid_argument for a variant without a device.
VariantDevice MakeDeviceForVariant(int variant, VariantDeviceFaults faults = {});

} // namespace tvqx::sim
