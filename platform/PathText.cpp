#include "platform/PathText.h"

namespace tvqx {

std::size_t PathLength(const std::string& utf8)
{
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            ++units;   // a character starts here
        if ((byte & 0xF8) == 0xF0)
            ++units;   // beyond the basic plane: a surrogate pair
    }
    return units;
}

#ifndef _WIN32
std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
#endif

} // namespace tvqx
