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
    bool KeyExists(const std::string& below)
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.Path(below).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(h);
        return true;
    }

    ScratchRegistryKey key;
    RegistryProfile profile{key.Name(), "tvqx-update"};
};

TEST_F(RegistrySettings, SavedPortIsADwordUnderTheApplicationsSectionKey)
{
    // Reading what was never saved gives the default and leaves no key behind.
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), -1);
    EXPECT_FALSE(KeyExists(""));
    EXPECT_EQ(profile.SectionKeyPath("Settings"), "Software\\" + key.Name() + "\\tvqx-update\\Settings");
    ASSERT_TRUE(profile.WriteProfileInt("Settings", "ComPort", 4));
    EXPECT_EQ(RawValue("Settings", "ComPort"), DWORD{4});
    // Another program of the same name (the other front end) sees it.
    RegistryProfile other(key.Name(), "tvqx-update");
    EXPECT_EQ(other.GetProfileInt("Settings", "ComPort", -1), 4);
    // A program of another name keeps settings of its own.
    EXPECT_EQ(RegistryProfile(key.Name(), "other-program").GetProfileInt("Settings", "ComPort", -1), -1);
}

TEST_F(RegistrySettings, IntegersRoundTripWholeAndSigned)
{
    for (const int value : {0, 22, -1, INT_MAX, INT_MIN}) {
        ASSERT_TRUE(profile.WriteProfileInt("Settings", "ComPort", value));
        EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", 99), value);
    }
    EXPECT_EQ(RawValue("Settings", "ComPort"), DWORD{0x80000000u});
}

TEST_F(RegistrySettings, ValueOfAnotherTypeGivesTheDefault)
{
    HKEY section = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.Path("tvqx-update\\Settings").c_str(), 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &section, nullptr),
              ERROR_SUCCESS);
    const char text[] = "4";
    ::RegSetValueExA(section, "ComPort", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    const uint16_t shortNumber = 4;
    ::RegSetValueExA(section, "Short", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&shortNumber),
                     sizeof shortNumber);
    ::RegCloseKey(section);
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

TEST_F(SerialDeviceMap, MissingMapIsNoListAndAnEmptyMapAnEmptyOne)
{
    EXPECT_FALSE(List().has_value());
    Make({});
    ASSERT_TRUE(List().has_value());
    EXPECT_TRUE(List()->empty());
}

TEST_F(SerialDeviceMap, EachValuesDataIsAPortNameAsWritten)
{
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
    } cases[] = {
        {"data of 51 bytes and its NUL", {"b", REG_SZ, std::string(51, 'C')}},
        {"a name of 501 characters", {"b" + std::string(500, 'x'), REG_SZ, "COM2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, key.Path("SERIALCOMM").c_str());
        Make({{"a", REG_SZ, "COM1"}, c.big, {"c", REG_SZ, "COM3"}});
        const auto list = List();
        ASSERT_TRUE(list.has_value());
        EXPECT_EQ(Names(*list), std::vector<std::string>{"COM1"});
    }
    // Just within both limits: a 500-character name and 51 bytes of data.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.Path("SERIALCOMM").c_str());
    Make({{"a", REG_SZ, "COM1"}, {"b" + std::string(499, 'x'), REG_SZ, std::string(50, 'C')}, {"c", REG_SZ, "COM3"}});
    EXPECT_EQ(List()->size(), 3u);
}

} // namespace
} // namespace tvqx::win32test
