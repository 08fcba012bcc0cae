// Port numbering on Linux over a made-up sysfs and /dev. Character devices
// cannot be made without privileges, so each "device" in the fake /dev is a
// link to a pseudo-terminal of its own.

#include "platform/LinuxPortInventory.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tvqx {
namespace {

// A pseudo-terminal's far side, held open for the test.
class PtyPool {
public:
    ~PtyPool()
    {
        for (int fd : m_fds)
            ::close(fd);
    }
    std::string Next()
    {
        const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_fds.push_back(fd);
        return ::ptsname(fd);
    }

private:
    std::vector<int> m_fds;
};

struct Uart {
    std::string name;   // ttySk
    std::string type;   // content of its type file; "" for no file
    bool hasDevice = true;
};

struct InventoryCase {
    const char* title;
    std::vector<Uart> uarts;                                   // each gets its /dev node too
    std::vector<std::string> devices;                          // more /dev nodes
    std::vector<std::string> plainFiles;                       // /dev entries that are no devices
    std::vector<std::pair<std::string, std::string>> portDir;  // entry -> /dev node name (maybe none), or "file"
    std::vector<std::string> expected;                         // "COMn <dev node or ports/entry>"
};

class InventoryTree : public ::testing::Test {
protected:
    void Build(const InventoryCase& c)
    {
        tree.MakeDir("ports");
        tree.MakeDir("sys");
        tree.MakeDir("dev");
        for (const Uart& u : c.uarts) {
            tree.MakeDir("sys/" + u.name);
            if (!u.type.empty())
                tree.Write("sys/" + u.name + "/type", u.type);
            if (u.hasDevice)
                tree.MakeDir("sys/" + u.name + "/device");
            tree.Link("dev/" + u.name, ptys.Next());
        }
        for (const auto& d : c.devices)
            tree.Link("dev/" + d, ptys.Next());
        for (const auto& f : c.plainFiles)
            tree.Write("dev/" + f, "");
        for (const auto& [entry, target] : c.portDir) {
            if (target == "file")
                tree.Write("ports/" + entry, "");
            else
                tree.Link("ports/" + entry, tree.Path("dev/" + target));
        }
    }
    LinuxPortInventory Inventory() { return LinuxPortInventory(tree.Path("ports"), tree.Path("sys"), tree.Path("dev")); }

    std::vector<std::string> Describe(const std::vector<ComPortListing>& ports)
    {
        std::vector<std::string> out;
        for (const auto& p : ports) {
            const std::string where = p.origin == ComPortListing::Origin::PortDirectory
                                          ? "ports/" + p.name
                                          : std::filesystem::path(p.devicePath).filename().string();
            out.push_back("COM" + std::to_string(p.number) + " " + where);
        }
        return out;
    }

    test::ScratchDir tree;
    PtyPool ptys;
};

class LinuxPortInventoryTest : public InventoryTree, public ::testing::WithParamInterface<InventoryCase> {};

TEST_P(LinuxPortInventoryTest, NumbersPorts)
{
    const InventoryCase& c = GetParam();
    Build(c);
    EXPECT_EQ(Describe(Inventory().ListPorts()), c.expected);
}

const InventoryCase kCases[] = {
    {"UartsByTypeAndDevice",
     {{"ttyS0", "4\n"}, {"ttyS1", "0\n"}, {"ttyS2", "4\n"}, {"ttyS3", "4\n", false}, {"ttyS4", ""},
      {"ttyS5", "junk"}, {"ttyS22", "4\n"}},
     {}, {}, {},
     {"COM1 ttyS0", "COM3 ttyS2"}},
    {"AdaptersInNameOrderWithNumbersAsNumbers",
     {}, {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSBx", "ttyUSB-1", "ttyS9", "tty0"}, {"ttyUSB1"}, {},
     {"COM1 ttyACM0", "COM2 ttyUSB2", "COM3 ttyUSB10"}},
    {"AdaptersFillTheGapsAroundUartsAndNamedPorts",
     {{"ttyS1", "4\n"}}, {"ttyUSB0", "ttyUSB1", "pts7"}, {}, {{"com3", "pts7"}},
     {"COM1 ttyUSB0", "COM2 ttyS1", "COM3 ports/com3", "COM4 ttyUSB1"}},
    {"PortDirectoryWinsNumbersAndDevices",
     {{"ttyS0", "4\n"}}, {"ttyUSB0", "ttyACM0"}, {}, {{"COM1", "ttyUSB0"}, {"COM2", "ttyS0"}},
     {"COM1 ports/COM1", "COM2 ports/COM2", "COM3 ttyACM0"}},
    {"UartWhoseNumberIsTakenIsLeftOut",
     {{"ttyS0", "4\n"}}, {"pts7"}, {}, {{"COM1", "pts7"}},
     {"COM1 ports/COM1"}},
    {"PortDirectoryEntriesMustBeComPortsLeadingToDevices",
     {}, {"ttyUSB0", "pts7", "pts8"}, {}, {{"COM4", "file"}, {"COM5", "gone"}, {"notes", "pts7"}, {"COM23", "pts8"}},
     {"COM1 ttyUSB0"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LinuxPortInventoryTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.title); });

using LinuxPortInventoryList = InventoryTree;

TEST_F(LinuxPortInventoryList, EntriesKeepTheirNamesAndLeadToWhatIsOpened)
{
    Build({"", {{"ttyS1", "4\n"}}, {"pts7"}, {}, {{"cOm5", "pts7"}}, {}});
    LinuxPortInventory inventory = Inventory();
    const auto devices = inventory.ListSerialDevices();
    ASSERT_TRUE(devices);
    ASSERT_EQ(devices->size(), 2u);
    EXPECT_EQ((*devices)[0].name, "COM2");
    EXPECT_EQ((*devices)[0].devicePath, tree.Path("dev/ttyS1"));
    EXPECT_EQ((*devices)[1].name, "cOm5");
    EXPECT_EQ((*devices)[1].devicePath, tree.Path("ports/cOm5"));
    EXPECT_EQ(inventory.DevicePath(5), tree.Path("ports/cOm5"));
    EXPECT_EQ(inventory.DevicePath(1), "");
    // The listing shows where the link leads.
    EXPECT_EQ(inventory.ListPorts()[1].device, std::filesystem::canonical(tree.Path("dev/pts7")).string());
}

TEST_F(LinuxPortInventoryList, NothingFoundIsNoListAtAll)
{
    // Placeholder UARTs and stray files are not ports.
    Build({"", {{"ttyS0", "0\n"}}, {}, {"ttyUSB0"}, {{"COM1", "file"}}, {}});
    EXPECT_FALSE(Inventory().ListSerialDevices());
    EXPECT_FALSE(LinuxPortInventory(tree.Path("none"), tree.Path("none"), tree.Path("none")).ListSerialDevices());
}

TEST_F(LinuxPortInventoryList, AdaptersBeyondTheLastNumberAreLeftOut)
{
    std::vector<std::string> adapters;
    for (int i = 0; i < 24; ++i)
        adapters.push_back("ttyUSB" + std::to_string(i));
    Build({"", {}, adapters, {}, {}, {}});
    const auto ports = Inventory().ListPorts();
    ASSERT_EQ(ports.size(), 22u);
    EXPECT_EQ(ports.back().number, 22);
    EXPECT_EQ(ports.back().devicePath, tree.Path("dev/ttyUSB21"));
}

// USB adapters named from a made-up sysfs: a USB serial tty's device is a
// port below the interface, an ACM tty's device the interface itself; the
// USB device above holds the strings.
struct AdapterCase {
    const char* title;
    std::string tty;                                       // under dev/ and sys/
    std::string deviceBelowUsb;                            // path from the USB device to the tty's device
    std::vector<std::pair<std::string, std::string>> strings;   // attribute -> content
    bool viaPortDirectory;
    std::string adapter;
};

class AdapterNames : public InventoryTree,
                     public ::testing::WithParamInterface<AdapterCase> {};

TEST_P(AdapterNames, ComeFromTheUsbDevice)
{
    const AdapterCase& c = GetParam();
    const bool named = c.viaPortDirectory;
    Build({"", {}, {c.tty}, {}, {}, {}});
    tree.MakeDir("devices/usb1/1-1/" + c.deviceBelowUsb);
    for (const auto& [attribute, content] : c.strings)
        tree.Write("devices/usb1/1-1/" + attribute, content);
    tree.MakeDir("sys/" + c.tty);
    tree.Link("sys/" + c.tty + "/device", tree.Path("devices/usb1/1-1/" + c.deviceBelowUsb));
    if (named) {
        // As the user links it: through a stable name.
        tree.MakeDir("by-id");
        tree.Link("by-id/usb-adapter", "../dev/" + c.tty);
        tree.Link("ports/COM7", tree.Path("by-id/usb-adapter"));
    }
    const auto ports = Inventory().ListPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].number, named ? 7 : 1);
    EXPECT_EQ(ports[0].adapter, c.adapter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterNames,
    ::testing::Values(
        AdapterCase{"UsbSerialPortTwoLevelsDown", "ttyUSB0", "1-1:1.0/ttyUSB0",
                    {{"manufacturer", "Example Corp\n"}, {"product", "USB Serial\n"}, {"serial", "A1B2C3\n"}},
                    false, "Example Corp USB Serial, serial number A1B2C3"},
        AdapterCase{"AcmInterfaceOneLevelDown", "ttyACM0", "1-1:1.0", {{"product", "Modem\n"}}, false, "Modem"},
        AdapterCase{"OnlyASerialNumber", "ttyUSB3", "1-1:1.0/ttyUSB3", {{"serial", "  X9\t\n"}}, false,
                    "serial number X9"},
        AdapterCase{"NoStringsNoName", "ttyUSB0", "1-1:1.0/ttyUSB0", {{"serial", "\n"}}, false, ""},
        AdapterCase{"NamedThroughLinksInThePortDirectory", "ttyUSB0", "1-1:1.0/ttyUSB0",
                    {{"manufacturer", "Example Corp\n"}, {"product", "USB Serial\n"}}, true,
                    "Example Corp USB Serial"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(LinuxPortInventoryList, DeviceGivenByAnyOfItsNamesFindsItsNumber)
{
    Build({"", {}, {"ttyUSB0", "ttyUSB1", "pts7", "pts8"}, {}, {{"COM5", "pts7"}}, {}});
    tree.Link("by-id", tree.Path("dev"));
    LinuxPortInventory inventory = Inventory();
    EXPECT_EQ(inventory.NumberOfDevice(tree.Path("dev/ttyUSB1")), 2);
    EXPECT_EQ(inventory.NumberOfDevice(tree.Path("by-id/ttyUSB0")), 1);
    EXPECT_EQ(inventory.NumberOfDevice(tree.Path("dev/pts7")), 5);
    EXPECT_EQ(inventory.NumberOfDevice(tree.Path("dev/pts8")), 0);   // a device no port leads to
    EXPECT_EQ(inventory.NumberOfDevice(tree.Path("dev/ttyUSB9")), 0);
}

} // namespace
} // namespace tvqx
