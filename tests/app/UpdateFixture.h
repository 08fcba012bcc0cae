#pragma once
// A whole program on virtual time: the main window on the headless backend,
// the simulated unit of the build's variant on COM3 (variant 10 unless a
// test picks another), firmware files in a scratch directory.

#include "sim/VariantDevices.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tvqx::testing {

// Intel HEX text for `data` from address 0, 16 bytes a record, with the end
// record (the fault campaign's firmware too).
std::string MakeHex(const std::vector<uint8_t>& data);

class UpdateFixture : public ::testing::Test, protected ProgramOnVirtualTime<> {
protected:
    static constexpr int kDevicePort = 3;
    static constexpr uint64_t kStartMs = 10'000;

    UpdateFixture();
    // The window goes before the device it may still have its port open to.
    ~UpdateFixture() override { CloseWindow(); }

    // Builds the program for `variant` and puts its device on COM3.
    void UseVariant(int variant, sim::VariantDeviceFaults faults = {});
    // Firmware files beside the program.
    void WriteProgramFile(const std::string& name, const std::string& content);
    void WriteDescription(const std::string& text) { WriteProgramFile("Tollvane-QX-R_with_Rd_Sw_Conn.txt", text); }
    // Firmware files whose HEX text is given as it is.
    void WriteHexText(const std::string& hex)
    {
        WriteDescription("QX-R 4.12\r\nfirmware.hex\r\n");
        WriteProgramFile("firmware.hex", hex);
    }
    // Firmware of `bytes` bytes as HEX text (16 bytes a row, then the end
    // record), beside the program; kept in `firmware` and `hexText`.
    void WriteFirmwareHex(size_t bytes);
    // Creates the main window (its initialisation runs).
    void Open();
    // The usual start: `bytes` of firmware beside the program, then Open().
    void OpenWithFirmware(size_t bytes = 256)
    {
        WriteFirmwareHex(bytes);
        Open();
    }
    // Opens the window with COM3 chosen.
    void OpenOnDevicePort()
    {
        Open();
        ui.Click(*dlg, IDC_COM3);
        clickMs = clock.Now();
    }
    // The system's serial ports, by name only (nothing here opens them).
    void ListPorts(const std::vector<const char*>& names);
    // Presses "Begin Update" (or "Cancel Update") once; variant 10 runs its
    // whole update within the press.
    void Press() { ui.Click(*dlg, IDC_BEGIN_UPDATE); }
    // Lets the window handle its messages and timers until `done` holds
    // (by default: the update is over, no wait and no queued message) or
    // `limitMs` of virtual time passed.
    void RunWindowUntil(const std::function<bool()>& done, uint64_t limitMs = 120'000);
    void RunWindow(uint64_t limitMs = 120'000) { RunWindowUntil([&] { return UpdateOver(); }, limitMs); }

    std::string ImagePath() const { return m_tempDir + "Hex.tmp"; }
    bool ImageExists() const { return std::filesystem::exists(ImagePath()); }
    std::string Status(int id) const { return dlg->GetDlgItemText(id); }
    const std::vector<MessageBoxRecord>& Boxes() const { return ui.MessageBoxes(); }
    // One message box, with this text, caption and type (an error by default).
    void ExpectBox(const std::string& text, const std::string& caption = "Firmware Update Error",
                   UINT type = MB_ICONEXCLAMATION) const;
    void ExpectErrorBox(const std::string& text) const { ExpectBox(text); }
    // When the first box came up, from the press.
    uint64_t BoxAtMs() const { return Boxes().empty() ? 0 : Boxes()[0].tick - static_cast<uint32_t>(clickMs); }
    // What a whole update leaves: the one box saying so, the boot loader's
    // version, the last progress line, the result and the port saved.
    void ExpectUpdateSucceeded(const std::string& lastProgress);
    // The HEX text's lines without their line ends: the rows as sent.
    std::vector<std::string> HexLines() const;
    // Back where a user can start again: port closed, unit unpowered, every
    // control and Close/About enabled, "Begin Update", normal cursor.
    bool IsIdleWindow() const;

    std::vector<uint8_t> SentBytes() const;
    // Times of the bytes the program sent, relative to the press.
    std::vector<uint64_t> SentTimes() const;
    bool DevicePowered() const { return !unit.PowerEvents().empty() && unit.PowerEvents().back().on; }

    int variant = 10;
    sim::VariantDevice unit;
    std::vector<uint8_t> firmware;
    std::string hexText;
    uint64_t clickMs = 0;

    test::ScratchDir m_scratch{"tvqx-app"};
    std::string m_programDir;
    std::string m_tempDir;
};

} // namespace tvqx::testing
