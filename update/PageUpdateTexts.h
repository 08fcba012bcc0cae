#pragma once
// Texts of the page update, exactly as the user sees them.

#include <string>

namespace tvqx::texts {

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

} // namespace tvqx::texts
