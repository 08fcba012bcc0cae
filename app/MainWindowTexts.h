#pragma once
// The main window's own texts, exactly as the user sees them.

namespace tvqx::texts {

inline constexpr const char* kMainCaption = "Tollvane QX-R Firmware Update";
inline constexpr const char* kAboutMenuItem = "About Tollvane QX-R Update...";
inline constexpr const char* kSupportGroup = "Ostrale Support & Contact Information: ";
inline constexpr const char* kStatusFontFace = "Microsoft Sans Serif";

inline constexpr const char* kInstructions =
    "- The Tollvane QX obtains its power from the serial port handshake lines.\n"
    "- Connect the Tollvane QX to a serial port.\n"
    "- Select the appropriate serial port (COM1 to COM22).\n"
    "- Press the Begin Update button below.\n"
    "- Monitor the Firmware Update Status information.\n"
    "- A message box will indicate the success of the update.";

inline constexpr const char* kNoSerialPorts = "There are no serial ports installed on this computer.     ";

inline constexpr const char* kDetailedInstructionsCaption = "Detailed Instructions";
// The instructions document shipped beside the program; none is shipped.
inline constexpr const char* INSTRUCTIONS_DOCUMENT = "";
inline constexpr const char* kInstructionsMissing = "Cannot fine the detailed instructions document.     ";
inline constexpr const char* kViewerMissing =
    "Unable to load the Acrobat Reader.\n\n"
    "Acrobat Reader must be installed on your computer in order to view the detailed instructions.     ";

} // namespace tvqx::texts
