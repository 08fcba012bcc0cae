#pragma once
// Texts of the row transfer, the wake-up wait, the application hand-over and
// the 256-byte page transfers, exactly as the user sees them. Messages that
// end in "from the " are completed with the device name and ".     ".

#include <string>

namespace tvqx::texts {

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

} // namespace tvqx::texts
