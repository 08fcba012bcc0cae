#pragma once
// Texts of the update procedures, exactly as the user sees them: the page
// update, then the row transfer, the wake-up wait, the application hand-over
// and the 256-byte page transfers, then the radio link. Messages that end in
// "from the " are completed with the device name and ".     ".

#include <string>

namespace tvqx::texts {

// The page update.
inline constexpr const char* kUpdateErrorCaption = "Firmware Update Error";
inline constexpr const char* kUpdateFailed = "Firmware update failed";
inline constexpr const char* kCannotOpenPort = "Unable to open serial port COM%d     ";
inline constexpr const char* kNoVersionResponse = "Invalid or no response from the Tollvane QX.     ";
inline constexpr const char* kInvalidVersionResponse = "Invalid version response from the Tollvane QX.     ";
inline constexpr const char* kNoReadyResponse = "No ready response from the Tollvane QX.     ";
inline constexpr const char* kInvalidReadyResponse = "Invalid ready response from the Tollvane QX.     ";
inline constexpr const char* kCannotOpenImage = "Unable to open the temporary firmware file.               ";
inline constexpr const char* kNoPageResponse = "No response from the Tollvane QX-R.     ";
inline constexpr const char* kInvalidPageResponse = "Invalid ready response from the Tollvane QX-R.     ";
inline constexpr const char* kBootLoaderVersion = "Boot loader version  =  %s";
inline constexpr const char* kSendingPage = "Sending hex file page  %d  of  %d";
inline constexpr const char* kUpdateSucceeded = "Tollvane QX-R firmware successfully updated";
inline constexpr const char* kUpdateCompleteCaption = "Firmware Update Complete";
inline constexpr const char* kUpdateCompleteMessage = "The Tollvane QX-R firmware has been successfully updated.     ";

// Ends most failure messages: what happened and whom to call.
std::string UpdateFailureText();

// `format` with its one or two numbers (or one text) filled in.
std::string FormatText(const char* format, int value);
std::string FormatText(const char* format, int first, int second);
std::string FormatText(const char* format, const std::string& value);

// The row transfer and the waiting, hand-over and 256-byte page variants.
inline constexpr const char* kDeviceName = "Tollvane QX-R";

inline constexpr const char* kBeginUpdateCaption = "Begin Update";
inline constexpr const char* kCancelUpdateCaption = "Cancel Update";

// Variant 2's open failure ends in fifteen blanks, the waiting variants' in five.
inline constexpr const char* kCannotOpenPortWide = "Unable to open serial port COM%d               ";
inline constexpr const char* kCannotFindDevice = "Cannot find a ";
inline constexpr const char* kInvalidResponse = "Invalid response from the ";
inline constexpr const char* kFifteenBlanks = "               ";

// The device's answers, each followed by the device name and ".     ".
inline constexpr const char* kNoResponseFrom = "No response from the ";
inline constexpr const char* kInvalidVersionFrom = "Invalid version response from the ";
inline constexpr const char* kNoReadyFrom = "No ready response from the ";
inline constexpr const char* kInvalidReadyFrom = "Invalid ready response from the ";
inline constexpr const char* kNoXonFrom = "Timeout waiting for XON character from the ";
inline constexpr const char* kInvalidXonFrom = "Invalid XON response from the ";
inline constexpr const char* kNoXoffFrom = "Timeout waiting for XOFF character from the ";
inline constexpr const char* kInvalidXoffFrom = "Invalid XOFF response from the ";
inline constexpr const char* kNoLineCompleteFrom = "Timeout waiting for line complete character from the ";
inline constexpr const char* kInvalidLineCompleteFrom = "Invalid line complete response from the ";
inline constexpr const char* kNoFileCompleteFrom = "Timeout waiting for file complete character from the ";
inline constexpr const char* kInvalidFileCompleteFrom = "Invalid file complete response from the ";

// The HEX file's own troubles, followed by the failure text directly.
inline constexpr const char* kCannotOpenHexRows = "Unable to open the hex file %s     ";
inline constexpr const char* kCannotReadHexRows = "Unable to read the firmware hex file.     ";
inline constexpr const char* kInvalidHexRow = "Invalid data in hex file.     ";

inline constexpr const char* kSendingRow = "Sending hex file row  %d  of  %d";

// "No response from the " + the device name + ".     ", and so on.
std::string FromTheDevice(const char* message);
// Ends every failure message of these procedures.
std::string RowFailureText();

// The radio link.
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
