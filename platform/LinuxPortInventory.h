#pragma once
// COM ports on Linux. The user's port directory names ports (COMn links to
// any serial device, a pseudo-terminal included); hardware serial ports it
// does not name get numbers of their own, so that a plain serial port or a
// USB cable works without any set-up:
//   - a real UART ttySk takes COM k+1 (when the port directory has not
//     taken that number), just as the machine's firmware numbers them;
//   - USB and ACM adapters (ttyACM*, ttyUSB*, in name order with numbers
//     compared as numbers) take the lowest numbers still free.
// A device that the port directory already names is not listed twice.

#include "platform/PortInventory.h"

#include <optional>
#include <string>
#include <vector>

namespace tvqx {

struct ComPortListing {
    enum class Origin { PortDirectory, Uart, UsbAdapter };

    int number = 0;            // n of COMn, 1..22
    std::string name;          // the port directory entry's name, or "COMn"
    std::string devicePath;    // what the port layer opens
    std::string device;        // the device it leads to, links resolved
    Origin origin = Origin::PortDirectory;
    // A USB adapter as people know it: maker, product and serial number as
    // the adapter reports them (what /dev/serial/by-id is named after);
    // empty for anything that is no USB device or reports none of them.
    std::string adapter = {};
};

// A port as people recognise it (tool tips, port lists): the device it leads to, then where its
// number comes from and, for a USB adapter, its maker, product and serial
// number: "/dev/ttyUSB0 (USB serial adapter: Maker Product, serial number X)".
// A port directory entry under `home` is shown with "~".
std::string DescribePort(const ComPortListing& port, const std::string& home);

class LinuxPortInventory final : public PortInventory {
public:
    // The roots can be moved for tests: a fake sysfs tty class directory and
    // a fake /dev. Each may be given with or without its trailing '/'.
    explicit LinuxPortInventory(std::string portDirectory, std::string sysClassTty = "/sys/class/tty/",
                                std::string devDirectory = "/dev/");

    // Every present port, by number; nullopt when there is none at all.
    std::optional<std::vector<PortEntry>> ListSerialDevices() override;
    // The same ports with where each one comes from, by number.
    std::vector<ComPortListing> ListPorts();
    // n of the COMn that leads to the device at `devicePath` (any link to it
    // counts); 0 when no port does.
    int NumberOfDevice(const std::string& devicePath);

    const std::string& PortDirectoryPath() const { return m_portDirectory; }

private:
    // The name sysfs knows the tty behind `path` by; empty when it has none.
    std::string KernelTtyName(const std::string& path) const;

    std::string m_portDirectory;
    std::string m_sysClassTty;
    std::string m_dev;
};

} // namespace tvqx
