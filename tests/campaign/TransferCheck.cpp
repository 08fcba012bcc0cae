#include "TransferCheck.h"

#include "sim/BootLoaderEntry.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace tvqx::campaign {

namespace {

// Where the transfer starts: just after the last entry command, or npos.
size_t AfterLastEntry(const std::vector<uint8_t>& written)
{
    const std::string_view entry = sim::kBootEntryCommand;
    const auto at = std::find_end(written.begin(), written.end(), entry.begin(), entry.end());
    return at == written.end() ? std::string::npos : static_cast<size_t>(at - written.begin()) + entry.size();
}

} // namespace

bool SentWholeImageInPages(const std::vector<uint8_t>& written, const std::vector<uint8_t>& image,
                           size_t pageSize)
{
    size_t at = AfterLastEntry(written);
    if (at == std::string::npos || pageSize == 0)
        return false;
    const size_t pages = image.size() / pageSize;
    size_t next = 0;   // the lowest page not sent yet
    for (;;) {
        if (written.size() - at >= 2 && written[at] == 0xFF && written[at + 1] == 0xFF)
            return next == pages;
        if (written.size() - at < pageSize + 3)
            return false;
        const size_t page = size_t{written[at]} << 8 | written[at + 1];
        if (page >= pages || (page != next && page + 1 != next))
            return false;
        const uint8_t* data = written.data() + at + 2;
        uint8_t sum = 0;
        for (size_t i = 0; i < pageSize; ++i)
            sum = static_cast<uint8_t>(sum + data[i]);
        if (std::memcmp(data, image.data() + page * pageSize, pageSize) != 0 || sum != data[pageSize])
            return false;
        next = std::max(next, page + 1);
        at += pageSize + 3;
    }
}

bool SentWholeHexInRows(const std::vector<uint8_t>& written, const std::string& hexText)
{
    const size_t at = AfterLastEntry(written);
    if (at == std::string::npos)
        return false;
    std::string rows;
    std::istringstream in(hexText);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        rows += line;
    }
    return written.size() - at >= rows.size() &&
           std::equal(rows.begin(), rows.end(), written.begin() + static_cast<long>(at));
}

} // namespace tvqx::campaign
