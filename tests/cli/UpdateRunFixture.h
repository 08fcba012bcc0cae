#pragma once
// Whole runs of the console front end against simulated devices on virtual
// time: the firmware bundle in a directory of the test's own, devices on
// COM ports, and what the run printed.

#include "cli/UpdateRun.h"
#include "sim/SimDevice.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tvqx::cli::test {

inline const std::string kSuccessBox =
    "[Firmware Update Complete]\nThe Tollvane QX-R firmware has been successfully updated.     \n\n";

class UpdateRunFixture : public ::testing::Test, protected ProgramOnVirtualTime<> {
protected:
    UpdateRunFixture()
    {
        inventory.Set(std::nullopt);
        // A copy of its own: the firmware files are opened with sharing
        // denied, so test processes running side by side must not share them.
        programDir = temp.MakeDir("program/");
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, programDir + name);
    }

    // COMn present and leading to `device`.
    void AttachDevice(int port, sim::SimDevice& device)
    {
        ports.Attach(port, device);
        listed.push_back({"COM" + std::to_string(port), "/dev/simulated" + std::to_string(port)});
        inventory.Set(listed);
    }
    // The same, for a device the fixture keeps.
    template <typename Device>
    Device& Attach(int port, std::unique_ptr<Device> device)
    {
        Device& kept = *device;
        devices.push_back(std::move(device));
        AttachDevice(port, kept);
        return kept;
    }

    int Run(int port = 0, bool terminal = false)
    {
        services.updateVariant = variant;
        UpdateRunSetup setup{services, ui, programDir, temp.Root(), hint, cancelRequested, waitingChanged, {}, {}};
        Console console{out, err, terminal};
        return RunUpdate(setup, port, console);
    }

    std::string ImagePath() const { return temp.Root() + "Hex.tmp"; }

    std::vector<std::unique_ptr<sim::SimDevice>> devices;
    std::vector<PortEntry> listed;
    tvqx::test::ScratchDir temp;
    std::string programDir;
    int variant = 10;
    std::function<std::string(const std::string&)> hint;
    std::function<bool()> cancelRequested;
    std::function<void(bool)> waitingChanged;
    std::ostringstream out;
    std::ostringstream err;
};

// The last `count` lines of a text that ends in a line feed.
inline std::string LastLines(const std::string& text, int count)
{
    size_t pos = text.size();
    for (int i = 0; i <= count && pos != std::string::npos && pos > 0; ++i)
        pos = text.rfind('\n', pos - 1);
    return pos == std::string::npos ? text : text.substr(pos + 1);
}

// How often `part` occurs in `text`.
inline size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + part.size()))
        ++count;
    return count;
}

} // namespace tvqx::cli::test
