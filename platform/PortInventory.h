#pragma once
// Which serial devices this computer has, named the way the program knows
// them (COM1, COM2, ...), and where each one's device lives.

#include <optional>
#include <string>
#include <vector>

namespace tvqx {

struct PortEntry {
    std::string name;         // as the system names it, e.g. "COM3" (any case)
    std::string devicePath;   // what the port layer opens
};

class PortInventory {
public:
    virtual ~PortInventory() = default;
    // Every serial device the system lists; nullopt when the system keeps no
    // list of serial devices at all (there are none on this computer).
    virtual std::optional<std::vector<PortEntry>> ListSerialDevices() = 0;
    // Device path of COMn; empty when there is no such port.
    std::string DevicePath(int portNumber);
};

// Linux: the port directory holds entries named COMn (any case) that resolve
// to character devices (links to /dev/ttyUSB0, to a pseudo-terminal, ...).
class PortDirectoryInventory final : public PortInventory {
public:
    explicit PortDirectoryInventory(std::string directory) : m_directory(std::move(directory)) {}
    std::optional<std::vector<PortEntry>> ListSerialDevices() override;
    const std::string& Directory() const { return m_directory; }

private:
    std::string m_directory;
};

// Parses "COMn" (case-insensitive) to n in 1..22; 0 for anything else.
int ComPortNumber(const std::string& name);

} // namespace tvqx
