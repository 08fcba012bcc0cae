#pragma once
// The whole program on virtual time against the unit as a waiting or row
// variant meets it: the variant's simulated device stack on COM3.

#include "UpdateFixture.h"

#include "sim/VariantDevices.h"

#include <functional>
#include <string>
#include <vector>

namespace tvqx::testing {

struct Snapshot;

class VariantFixture : public UpdateFixture {
protected:
    // The window goes before the device it may still have its port open to.
    ~VariantFixture() override
    {
        if (dlg && dlg->IsCreated())
            ui.Destroy(*dlg);
        dlg.reset();
    }

    // Builds the program for `variant` and puts its device on COM3.
    void UseVariant(int variant, sim::VariantDeviceFaults faults = {});
    // Firmware files whose HEX text is given as it is.
    void WriteHexText(const std::string& hex);
    // Opens the window with COM3 chosen.
    void OpenOnDevicePort();
    // Presses "Begin Update" (or "Cancel Update") once.
    void Press() { ui.Click(*dlg, IDC_BEGIN_UPDATE); }
    // Lets the window handle its messages and timers until the update is
    // over (no wait, no queued message) or `limitMs` of virtual time passed.
    void RunWindow(uint64_t limitMs = 120'000);
    // Lets the window run until `done` holds or `limitMs` passed.
    void RunWindowUntil(const std::function<bool()>& done, uint64_t limitMs = 120'000);

    // Firmware of `bytes` bytes as HEX text (16 bytes a row, then the end
    // record), beside the program; kept in `firmware` and `hexText`.
    void WriteFirmwareHex(size_t bytes);
    // The HEX text's lines without their line ends: the rows as sent.
    std::vector<std::string> HexLines() const;
    // Back where a user can start again: port closed, unit unpowered, every
    // control and Close/About enabled, "Begin Update", normal cursor.
    bool IsIdleWindow() const;

    std::vector<uint8_t> SentBytes() const;
    // Times of the bytes the program sent, relative to the press.
    std::vector<uint64_t> SentTimes() const;
    std::vector<uint64_t> PollTimes() const;   // relative to the press
    bool DevicePowered() const;
    bool ImageExists() const;

    int variant = 10;
    sim::VariantDevice unit;
    std::vector<uint8_t> firmware;
    std::string hexText;
};

} // namespace tvqx::testing
