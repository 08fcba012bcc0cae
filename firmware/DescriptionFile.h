#pragma once
// The firmware description file beside the program: line 1 the firmware
// version, line 2 the HEX file's name, line 3 an option code that no firmware
// defines yet. Further lines are never read.

#include <string>

namespace tvqx {

struct DescriptionFileContent {
    bool opened = false;    // false: missing, not a file, or held elsewhere
    bool heldElsewhere = false;   // not opened because somebody else held it
    bool complete = false;  // false: the file ends before line 2
    // Lines 1 and 2 as they stand (blanks kept, line end dropped); both empty
    // unless the file is complete, since half a description is of no use.
    std::string firmwareVersion;
    std::string hexFileName;
};

// Opens `path` for reading with sharing denied, reads it and closes it again.
DescriptionFileContent ReadDescriptionFile(const std::string& path);

} // namespace tvqx
