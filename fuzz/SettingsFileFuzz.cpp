// The settings file as anybody may have edited it: reading the saved port
// gives the default or a number that is written there, and saving a port
// then reading it back gives that port, whatever else the file holds; the
// other sections and entries read as they did before.

#include "fuzz/FuzzSupport.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace tvqx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDirectory() + "tvqx-update.conf";
    fuzz::WriteBytes(path, data, size);
    int value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));

    IniFileProfile profile(path);
    constexpr int kUnset = -424242;
    const int otherBefore = profile.GetProfileInt("Other", "ComPort", kUnset);
    const int neighbourBefore = profile.GetProfileInt("Settings", "Baud", kUnset);
    profile.GetProfileInt("Settings", "ComPort", 0);

    FUZZ_CHECK(profile.WriteProfileInt("Settings", "ComPort", value));
    FUZZ_CHECK(profile.GetProfileInt("Settings", "ComPort", kUnset) == value);
    FUZZ_CHECK(profile.GetProfileInt("Other", "ComPort", kUnset) == otherBefore);
    FUZZ_CHECK(profile.GetProfileInt("Settings", "Baud", kUnset) == neighbourBefore);
    return 0;
}
