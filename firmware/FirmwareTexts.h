#pragma once
// Texts of the firmware-file steps, exactly as the user sees them.

#include <string>

namespace tvqx::texts {

inline constexpr const char* kDescriptionFileName = "Tollvane-QX-R_with_Rd_Sw_Conn.txt";
inline constexpr const char* kProductLine =
    "Use to update the Tollvane QX-R firmware (only for use with units that have a read switch connector).";
inline constexpr const char* kFirmwareCaptionName = "Tollvane QX-R";
inline constexpr const char* kFirmwareCaptionSuffix = " Update";
// The caption of the firmware files' messages.
inline std::string FirmwareCaption()
{
    return std::string(kFirmwareCaptionName) + kFirmwareCaptionSuffix;
}
inline constexpr const char* kFirmwareVersionPrefix = "Firmware version  =  ";
inline constexpr const char* kFirmwareFilePrefix = "Firmware file  =  ";
inline constexpr const char* kCannotOpenDescription = "Unable to open the firmware description file:     \n";
inline constexpr const char* kUpdateDisabled = "Firmware update wil be disabled.";
inline constexpr const char* kCannotOpenHexFile = "Unable to open the firmware hex file:     \n";
inline constexpr const char* kFiveBlanks = "     ";

inline constexpr const char* kImageFileName = "Hex.tmp";
inline constexpr const char* kConversionCaption = "Firmware Update Error";
inline constexpr const char* kCannotCreateImage = "Unable to create the temporary firmware file.               ";
inline constexpr const char* kCannotOpenFirmware = "Unable to open the firmware file.               ";
inline constexpr const char* kInvalidHexFile = "Invalid firmware hex file.                           ";

} // namespace tvqx::texts
