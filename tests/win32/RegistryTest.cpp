// The per-user settings and the list of serial ports, in the real registry.

#include "platform/Win32PortInventory.h"
#include "platform/Win32Profile.h"

#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace tvqx::win32test {
namespace {

class RegistrySettings : public ::testing::Test {
protected:
    // The DWORD under the section's key, read the plain way; nullopt when
    // it is not there as a REG_DWORD.
    std::optional<DWORD> RawValue(const std::string& section, const std::string& entry)
    {
        DWORD value = 0;
        DWORD size = sizeof value;
        const std::string path = key.Path("tvqx-update\\" + section);
        if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), entry.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                           &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }

    ScratchRegistryKey key;
    RegistryProfile profile{key.Name(), "tvqx-update"};
};

// Which front end reads what the other saved is the console program's
// end-to-end test (tests/wine-e2e).
TEST_F(RegistrySettings, SavedPortIsASignedDwordUnderTheApplicationsSectionKey)
{
    // Reading what was never saved gives the default and leaves no key behind.
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), -1);
    HKEY none = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_READ, &none), ERROR_SUCCESS);
    ASSERT_TRUE(profile.WriteProfileInt("Settings", "ComPort", 4));
    EXPECT_EQ(RawValue("Settings", "ComPort"), DWORD{4});
    // A program of another name keeps settings of its own.
    EXPECT_EQ(RegistryProfile(key.Name(), "other-program").GetProfileInt("Settings", "ComPort", -1), -1);
    for (const int value : {0, 22, -1, INT_MAX, INT_MIN}) {
        ASSERT_TRUE(profile.WriteProfileInt("Settings", "ComPort", value));
        EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", 99), value);
    }
    EXPECT_EQ(RawValue("Settings", "ComPort"), DWORD{0x80000000u});
}

TEST_F(RegistrySettings, ValueOfAnotherTypeGivesTheDefault)
{
    const std::string section = key.Path("tvqx-update\\Settings");
    const uint16_t shortNumber = 4;
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, section.c_str(), "ComPort", REG_SZ, "4", 2), ERROR_SUCCESS);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, section.c_str(), "Short", REG_BINARY, &shortNumber, sizeof shortNumber);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), -1);
    EXPECT_EQ(profile.GetProfileInt("Settings", "Short", -1), -1);
}

// The port list. Values are made in the order of their names, so that the
// system's order of enumeration is the same whether it keeps values in the
// order they were made (Windows) or sorted by name (Wine).
class SerialDeviceMap : public ::testing::Test {
protected:
    struct Value {
        std::string name;
        DWORD type;
        std::string data;   // written without a terminating NUL for REG_BINARY
    };

    void Make(const std::vector<Value>& values)
    {
        HKEY map = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.Path("SERIALCOMM").c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, &map, nullptr),
                  ERROR_SUCCESS);
        for (const auto& v : values) {
            const DWORD size = static_cast<DWORD>(v.data.size() + (v.type == REG_SZ ? 1 : 0));
            ::RegSetValueExA(map, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.c_str()), size);
        }
        ::RegCloseKey(map);
    }
    std::optional<std::vector<PortEntry>> List()
    {
        return RegistryPortInventory(RegistryPortInventory::Root::CurrentUser, key.Path("SERIALCOMM"))
            .ListSerialDevices();
    }
    static std::vector<std::string> Names(const std::vector<PortEntry>& entries)
    {
        std::vector<std::string> names;
        for (const auto& e : entries)
            names.push_back(e.name);
        return names;
    }

    ScratchRegistryKey key;
};

TEST_F(SerialDeviceMap, NoMapIsNoListAndEachValuesDataIsAPortNameAsWritten)
{
    EXPECT_FALSE(List().has_value());
    Make({});
    ASSERT_TRUE(List().has_value());
    EXPECT_TRUE(List()->empty());
    Make({
        {"\\Device\\Serial0", REG_SZ, "COM1"},
        {"\\Device\\Serial1", REG_SZ, "com2"},
        {"\\Device\\Serial2", REG_SZ, "COM23"},
        {"\\Device\\Serial3", REG_BINARY, "COM4"},   // no NUL of its own
        {"\\Device\\Serial4", REG_SZ, "COM2 "},
    });
    const auto list = List();
    ASSERT_TRUE(list.has_value());
    // Which of them count as COM1 to COM22 is the port list's business.
    EXPECT_EQ(Names(*list), (std::vector<std::string>{"COM1", "com2", "COM23", "COM4", "COM2 "}));
    EXPECT_EQ((*list)[3].devicePath, "\\\\.\\COM4");
    RegistryPortInventory inventory(RegistryPortInventory::Root::CurrentUser, key.Path("SERIALCOMM"));
    EXPECT_EQ(inventory.DevicePath(2), "\\\\.\\com2");
    EXPECT_EQ(inventory.DevicePath(5), "");
}

TEST_F(SerialDeviceMap, ValueTooBigForTheScanBuffersEndsTheList)
{
    const struct {
        const char* what;
        Value big;
        size_t listed;
    } cases[] = {
        {"data of 51 bytes and its NUL", {"b", REG_SZ, std::string(51, 'C')}, 1},
        {"a name of 501 characters", {"b" + std::string(500, 'x'), REG_SZ, "COM2"}, 1},
        {"a 500-character name and 50 bytes of data", {"b" + std::string(499, 'x'), REG_SZ, std::string(50, 'C')}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, key.Path("SERIALCOMM").c_str());
        Make({{"a", REG_SZ, "COM1"}, c.big, {"c", REG_SZ, "COM3"}});
        const auto list = List();
        ASSERT_TRUE(list.has_value());
        EXPECT_EQ(list->size(), c.listed);
    }
}

} // namespace
} // namespace tvqx::win32test
