#include "update/UpdateTexts.h"

#include "app/ProductInfo.h"

#include <cstdio>

namespace tvqx::texts {

std::string UpdateFailureText()
{
    std::string text = "\n\n";
    text += "Firmware update terminated.\n";
    text += "\n";
    text += "If some of the hex file was transferred, the\n";
    text += "firmware in the Tollvane QX may be corrupt.\n";
    text += "\n";
    text += "You should retry the firmware update procedure.\n";
    text += "\n";
    text += "If you continue to have problems, contact Ostrale          \n";
    text += "customer support at:\n";
    text += std::string("     ") + product::kSupportPhone + "\n";
    text += std::string("     ") + product::kSupportEmail + "\n";
    text += std::string("     ") + product::kWebSite + "\n";
    text += std::string("     ") + "Office hours " + product::kOfficeHours + "\n";
    text += "\n";
    return text;
}

std::string FormatText(const char* format, int value)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string FormatText(const char* format, int first, int second)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, first, second);
    return buffer;
}

std::string FormatText(const char* format, const std::string& value)
{
    const int size = std::snprintf(nullptr, 0, format, value.c_str());
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value.c_str());
    return text;
}

std::string FromTheDevice(const char* message)
{
    return std::string(message) + kDeviceName + ".     ";
}

std::string RowFailureText()
{
    const std::string five = "     ";
    std::string text = "\n\n";
    text += "Firmware update terminated.\n";
    text += "\n";
    text += std::string("If some of the hex file was transferred, the firmware in the ") + kDeviceName +
            " may be corrupt.     \n";
    text += "\n";
    text += "You should retry the firmware update procedure.\n";
    text += "\n";
    text += "If you continue to have problems, contact Ostrale Systems for support.\n";
    text += five + "Office hours " + product::kOfficeHours + "\n";
    text += five + product::kSupportPhone + "\n";
    text += five + product::kSupportEmail + "\n";
    text += five + product::kWebSite + "\n";
    text += "\n";
    return text;
}

} // namespace tvqx::texts
