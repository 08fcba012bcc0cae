#pragma once
// What the tests of the shipped programs as processes under Wine share: the
// programs started with their output in a file, a COM port listed in the
// serial device map, the device's flash compared with the sample firmware.

#include "firmware/HexImage.h"
#include "platform/File.h"

#include "platform/Win32Api.h"
#include "tests/common/OverPty.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::winproc {

using test::PortOverPty;
using test::WaitUntil;

// CMake hands over the programs' paths with forward slashes.
inline std::string WindowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A program started with its standard output and error in one file; killed
// at the end if it is still running, so that a failed test leaves nothing
// behind on the shared desktop. Without `program`, the command line is taken
// as a user types it, and the system looks for the program (PATH included).
// Paths in UTF-8.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::string& arguments, const std::string& outputPath,
                 const std::string& currentDirectory = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    // The exit code once the process ended within `limit`; -1 otherwise.
    long long WaitForExit(std::chrono::seconds limit);

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// A SERIALCOMM entry for COMn while the test runs, as a serial driver would
// make it (volatile: gone with the Wine session even if the test dies).
class DeviceMapEntry {
public:
    DeviceMapEntry(const std::string& deviceName, int com);
    ~DeviceMapEntry();
    DeviceMapEntry(const DeviceMapEntry&) = delete;
    DeviceMapEntry& operator=(const DeviceMapEntry&) = delete;

private:
    std::string m_name;
    HKEY m_map = nullptr;
};

// The page image of the sample bundle's HEX file; empty when it cannot be
// built.
std::vector<uint8_t> SampleImage(const std::string& examplesDir);

// "" when the device's flash, written out by tvqx-devsim at TVQX_TEST_FLASH
// once the port closes, holds `image` with nothing written beyond it; what
// differs otherwise.
std::string FlashMismatch(const std::string& flashPath, const std::vector<uint8_t>& image);

} // namespace tvqx::winproc
