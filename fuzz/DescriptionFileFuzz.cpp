// The firmware description file: whatever it holds, the two lines taken from
// it are exactly its first two lines (a CR directly before the LF dropped with
// it, every other byte kept), or nothing when there are not two.

#include "firmware/DescriptionFile.h"
#include "fuzz/FuzzSupport.h"

#include <string>
#include <vector>

using namespace tvqx;

namespace {

std::vector<std::string> FirstLines(const uint8_t* data, size_t size, size_t count)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < size && lines.size() < count) {
        std::string line;
        while (i < size && data[i] != '\n')
            line.push_back(static_cast<char>(data[i++]));
        if (i < size) {
            ++i;   // the LF
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDirectory() + "Tollvane-QX-R_with_Rd_Sw_Conn.txt";
    fuzz::WriteBytes(path, data, size);

    DescriptionFileContent content = ReadDescriptionFile(path);
    // The file was just written in a directory of our own. An open the
    // system itself refuses once (out of descriptors on a busy machine) is
    // not the reader's fault; one that fails again is.
    if (!content.opened)
        content = ReadDescriptionFile(path);
    FUZZ_CHECK(content.opened);
    const std::vector<std::string> lines = FirstLines(data, size, 2);
    if (lines.size() < 2) {
        FUZZ_CHECK(!content.complete);
        FUZZ_CHECK(content.firmwareVersion.empty() && content.hexFileName.empty());
        return 0;
    }
    FUZZ_CHECK(content.complete);
    FUZZ_CHECK(content.firmwareVersion == lines[0]);
    FUZZ_CHECK(content.hexFileName == lines[1]);
    return 0;
}
