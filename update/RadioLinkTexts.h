#pragma once
// Texts of the radio variants, exactly as the user sees them. The port,
// search and caption texts they share with the other procedures live with
// those.

#include "update/RowUpdateTexts.h"

#include <string>

namespace tvqx::texts {

inline constexpr const char* kCannotConfigureLink = "Unable to communicate with and/or configure the ";
inline constexpr const char* kForTheFirmwareUpdate = " for the firmware update.";
inline constexpr const char* kTargetRoverModuleId = "Target Rover Module ID = ";
inline constexpr const char* kBootLoaderSuffix = " boot loader.";

// The same text goes into the result line and the message box.
inline std::string LinkConfigurationFailedText(char moduleId)
{
    return std::string(kCannotConfigureLink) + kDeviceName + kForTheFirmwareUpdate + kFifteenBlanks + "\n\n" +
           kTargetRoverModuleId + moduleId;
}

// The result line's text; the box adds fifteen blanks.
inline std::string NoRemoteBootLoaderText()
{
    return std::string(kNoResponseFrom) + kDeviceName + kBootLoaderSuffix;
}

} // namespace tvqx::texts
