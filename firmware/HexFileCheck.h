#pragma once
// The HEX file check run at start-up and before every update: can the file be
// opened with sharing denied, and when was it last changed.

#include <string>

#include "platform/File.h"

namespace tvqx {

// "     (M-D-YYYY, hh:mm:ss AM)" as shown after the HEX file's name: no leading
// zeros in the date, a 12-hour clock whose hour keeps a leading blank, minutes
// and seconds always two digits.
std::string FormatModificationPart(const LocalTime& time);

struct HexCheckResult {
    bool opened = false;
    bool heldElsewhere = false;   // not opened because somebody else held it
    std::string modificationPart;   // empty unless opened
};

// Opens `path` for reading with sharing denied, takes its modification time
// and closes it; the content is not looked at.
HexCheckResult CheckHexFileAt(const std::string& path);

} // namespace tvqx
