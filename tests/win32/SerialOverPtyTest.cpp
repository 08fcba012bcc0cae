// The Windows serial port layer on a real COM port: under Wine a
// pseudo-terminal served by tvqx-devsim (see run-over-pty.sh, which sets
// TVQX_TEST_COM and TVQX_TEST_FLASH). What Wine cannot do on a
// pseudo-terminal is expected as such, each limit by name:
//   - no modem lines: GetCommModemStatus and EscapeCommFunction fail with
//     error 50 (ERROR_NOT_SUPPORTED);
//   - no exclusive open: a second CreateFileA of the port succeeds;
//   - no line timing: bytes pass at once whatever the speed, so nothing here
//     measures time on the line (the device runs with --fast).

#include "app/ProgramServices.h"
#include "cli/UpdateRun.h"
#include "platform/Win32PortInventory.h"
#include "platform/Win32Profile.h"
#include "platform/Win32WindowDirectory.h"
#include "serial/CRS232.h"
#include "serial/Win32PortLayer.h"
#include "sim/BootLoaderEntry.h"
#include "tests/common/ScratchDir.h"

#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace tvqx::win32test {
namespace {

// A bound on how long the device may take, not a measurement.
bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class PortOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* com = std::getenv("TVQX_TEST_COM");
        m_com = com ? std::atoi(com) : 0;
        ASSERT_GT(m_com, 0) << "run these tests through tests/win32/run-over-pty.sh";
    }

    int m_com = 0;
};

TEST_F(PortOverPty, ReadsWhatArrivedCountsItAndPurgesIt)
{
    RealTickClock clock;
    Win32PortLayer layer;
    CRS232 port(layer, clock);
    ASSERT_EQ(port.Open(m_com, 9600, 'N', 8, 1), 1);
    EXPECT_EQ(port.GetPortNumber(), m_com);

    uint8_t buffer[32] = {};
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);   // nothing there: back at once

    // The boot loader answers its entry command: version, CR, ready byte.
    port.WriteString(sim::kBootEntryCommand);
    const std::string answer = std::string(sim::kBootVersion) + "\r!";
    ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() >= answer.size(); })) << port.BytesWaiting();
    EXPECT_EQ(port.BytesWaiting(), answer.size());
    ASSERT_EQ(port.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, buffer + 5), answer.substr(0, 5));
    EXPECT_EQ(port.BytesWaiting(), answer.size() - 5);
    EXPECT_NE(port.PurgeInput(), 0);
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);

    port.Close();
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(PortOverPty, PortWithoutADeviceDoesNotOpen)
{
    RealTickClock clock;
    Win32PortLayer layer;
    EXPECT_EQ(Win32PortLayer::DevicePath(m_com), "\\\\.\\COM" + std::to_string(m_com));
    const int missing = m_com == 22 ? 21 : 22;
    EXPECT_FALSE(layer.CreateFile(missing));
    EXPECT_FALSE(layer.CreateFile(-2000));
    CRS232 port(layer, clock);
    EXPECT_EQ(port.Open(missing, 9600, 'N', 8, 1), 0);
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(PortOverPty, ModemLinesAndExclusiveOpenAsTheSystemHasThem)
{
    Win32PortLayer layer;
    auto first = layer.CreateFile(m_com);
    ASSERT_TRUE(first);
    uint32_t status = 0;
    ::SetLastError(0);
    const int modem = first->GetCommModemStatus(&status);
    const DWORD modemError = ::GetLastError();
    ::SetLastError(0);
    const int dtr = first->EscapeCommFunction(CLRDTR);
    const DWORD dtrError = ::GetLastError();
    ::SetLastError(0);
    const int rts = first->EscapeCommFunction(CLRRTS);
    const DWORD rtsError = ::GetLastError();
    const auto second = layer.CreateFile(m_com);

    if (RunningUnderWine()) {
        // Wine's limits on a pseudo-terminal, tolerated: no modem lines...
        EXPECT_EQ(modem, 0);
        EXPECT_EQ(modemError, DWORD{ERROR_NOT_SUPPORTED});
        EXPECT_EQ(dtr, 0);
        EXPECT_EQ(dtrError, DWORD{ERROR_NOT_SUPPORTED});
        EXPECT_EQ(rts, 0);
        EXPECT_EQ(rtsError, DWORD{ERROR_NOT_SUPPORTED});
        // ...and no exclusive open.
        EXPECT_TRUE(second);
    } else {
        EXPECT_NE(modem, 0);
        EXPECT_NE(dtr, 0);
        EXPECT_NE(rts, 0);
        EXPECT_FALSE(second) << "a port opened without sharing opened twice";
    }
}

// A SERIALCOMM entry for the port while the test runs, as a serial driver
// would make it.
class DeviceMapEntry {
public:
    explicit DeviceMapEntry(int com) : m_name("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()))
    {
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_SET_VALUE, nullptr, &m_map, nullptr);
        const std::string data = "COM" + std::to_string(com);
        ::RegSetValueExA(m_map, m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>(data.size() + 1));
    }
    ~DeviceMapEntry()
    {
        ::RegDeleteValueA(m_map, m_name.c_str());
        ::RegCloseKey(m_map);
    }
    DeviceMapEntry(const DeviceMapEntry&) = delete;
    DeviceMapEntry& operator=(const DeviceMapEntry&) = delete;

private:
    std::string m_name;
    HKEY m_map = nullptr;
};

// The console front end's whole run of variant 10 on the Windows services
// alone: the port from the device map, the saved port in the registry, the
// handover to a serial test program window, the port itself.
TEST_F(PortOverPty, WholeUpdateOfVariant10ReachesTheDevicesFlash)
{
    const char* flashPath = std::getenv("TVQX_TEST_FLASH");
    ASSERT_NE(flashPath, nullptr);
    std::filesystem::remove(flashPath);

    DeviceMapEntry listed(m_com);
    TestProgramWindows desktop;
    const size_t testProgram = desktop.Add("Ostrale Serial Test Program - COM5");

    RealTickClock clock;
    HeadlessBackend ui(clock);
    Win32PortLayer ports;
    RegistryPortInventory inventory;
    ScratchRegistryKey settingsKey;
    RegistryProfile profile(settingsKey.Name(), "tvqx-update");
    Win32WindowDirectory windows;
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};

    test::ScratchDir temp("tvqx-win32");
    const std::string programDir = temp.MakeDir("program/");
    for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
        std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, programDir + name);
    cli::UpdateRunSetup setup{services, ui, programDir, temp.Root(), {}, {}, {}};
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{out, err, false};

    ASSERT_EQ(cli::RunUpdate(setup, m_com, console), cli::kExitUpdated) << out.str() << err.str();
    EXPECT_NE(out.str().find("The Tollvane QX-R firmware has been successfully updated."), std::string::npos);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), m_com);
    EXPECT_EQ(desktop.ReceivedBy(testProgram),
              (std::vector<TestProgramWindows::Received>{{kReleasePort, static_cast<intptr_t>(m_com)},
                                                         {kReturnPort, static_cast<intptr_t>(m_com)}}));

    // The device writes its flash out once the port is closed after the update.
    const std::string image = test::ReadAll(temp.Path("Hex.tmp"));
    ASSERT_FALSE(image.empty());
    std::string flash;
    ASSERT_TRUE(WaitUntil([&] {
        flash = test::ReadAll(flashPath);
        return flash.size() == 65536;
    })) << flash.size();
    EXPECT_TRUE(flash.compare(0, image.size(), image) == 0);
    EXPECT_EQ(flash.find_first_not_of('\xFF', image.size()), std::string::npos);
}

} // namespace
} // namespace tvqx::win32test
