#include "app/PortRange.h"

#include <cctype>

namespace tvqx {

int ComNumberAboveRange(const std::string& name)
{
    if (name.size() < 5 || name.size() > 8 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M' || name[3] == '0')
        return 0;
    int n = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n > 22 ? n : 0;
}

std::string OutOfRangeNote(const std::vector<int>& numbers)
{
    if (numbers.empty())
        return {};
    std::string ports;
    for (size_t i = 0; i < numbers.size(); ++i)
        ports += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + ("COM" + std::to_string(numbers[i]));
    return ports + " cannot be chosen (only COM1 to COM22): renumber " + (numbers.size() == 1 ? "it " : "them ") +
           kRenumberSteps + ".";
}

} // namespace tvqx
