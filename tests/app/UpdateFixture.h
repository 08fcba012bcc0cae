#pragma once
// A whole program on virtual time: the main window on the headless backend, a
// simulated boot loader on COM3, firmware files in a scratch directory.

#include "sim/PageBootLoader.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tvqx::testing {

// Intel HEX text for `data` placed at `address`, 16 bytes a record, with the
// end record.
std::string MakeHex(const std::vector<uint8_t>& data, uint16_t address = 0);
// Bytes that look like firmware: not all alike, so misplaced pages show.
std::vector<uint8_t> FirmwareBytes(size_t count);

class UpdateFixture : public ::testing::Test, protected ProgramOnVirtualTime<> {
protected:
    static constexpr int kDevicePort = 3;
    static constexpr uint64_t kStartMs = 10'000;

    UpdateFixture();
    ~UpdateFixture() override;

    // Firmware files beside the program.
    void WriteDescription(const std::string& content);
    void WriteProgramFile(const std::string& name, const std::string& content);
    void WriteFirmware(const std::vector<uint8_t>& image);   // description + HEX
    // The boot loader on COM3 with these faults (before Open()).
    void UseDevice(sim::PageBootLoaderFaults faults);
    // Creates the main window (its initialisation runs).
    void Open();
    // The usual start: `bytes` of firmware beside the program, then Open().
    void OpenWithFirmware(size_t bytes = 256);
    // The system's serial ports, by name only (nothing here opens them).
    void ListPorts(const std::vector<const char*>& names);
    // Presses "Begin Update" and returns once the run has ended.
    void RunUpdate();

    std::string ImagePath() const { return m_tempDir + "Hex.tmp"; }
    std::string Status(int id) const { return dlg->GetDlgItemText(id); }
    const std::vector<MessageBoxRecord>& Boxes() const { return ui.MessageBoxes(); }
    // What a whole update leaves: the one box saying so, the boot loader's
    // version, the last progress line, the result and the port saved.
    void ExpectUpdateSucceeded(const std::string& lastProgress);
    // Times (relative to the click) at which each byte reached the device.
    std::vector<uint64_t> ArrivalTimes() const;
    std::vector<uint8_t> LineBytes() const;
    std::vector<uint8_t> FlashPrefix(size_t n) const;

    std::unique_ptr<sim::PageBootLoader> device;
    uint64_t clickMs = 0;

    test::ScratchDir m_scratch{"tvqx-app"};
    std::string m_programDir;
    std::string m_tempDir;
};

} // namespace tvqx::testing
