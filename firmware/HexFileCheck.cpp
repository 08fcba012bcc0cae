#include "firmware/HexFileCheck.h"

#include <cstdio>

namespace tvqx {

std::string FormatModificationPart(const LocalTime& time)
{
    char date[64];
    std::snprintf(date, sizeof date, "     (%d-%d-%d, ", time.month, time.day, time.year);

    int hour = time.hour;
    const char* suffix = hour >= 12 ? "PM" : "AM";
    if (hour > 12)
        hour -= 12;
    char clock[64];
    std::snprintf(clock, sizeof clock, "%2d:%2d:%2d %s)", hour, time.minute, time.second, suffix);
    // "%2d" pads with a blank; minutes and seconds want a zero there, the hour
    // keeps its blank.
    if (clock[3] == ' ')
        clock[3] = '0';
    if (clock[6] == ' ')
        clock[6] = '0';
    return std::string(date) + clock;
}

HexCheckResult CheckHexFileAt(const std::string& path)
{
    HexCheckResult result;
    auto file = File::OpenRead(path, &result.heldElsewhere);
    if (!file)
        return result;
    result.opened = true;
    LocalTime mtime{};
    if (file->GetModificationTime(mtime))
        result.modificationPart = FormatModificationPart(mtime);
    file->Close();
    return result;
}

} // namespace tvqx
