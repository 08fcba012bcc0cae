#pragma once
// The maker's details and the product's fixed texts that more than one
// window or procedure shows.

namespace tvqx::product {

inline constexpr const char* kSupportPhone = "+1 (555) 014-2290";
inline constexpr const char* kSupportFax = "+1 (555) 014-2291";
inline constexpr const char* kSupportEmail = "support@ostrale-systems.example.com";
inline constexpr const char* kWebSite = "www.ostrale-systems.example.com";
inline constexpr const char* kOfficeHours = "8:00 AM - 5:00 PM Mountain Time, Mon - Fri";
inline constexpr const char* kStreetAddress = "4120 Quarry Ridge Road";
inline constexpr const char* kPostOfficeBox = "P.O. Box 5127";
inline constexpr const char* kTown = "Cedar Falls, CO 80555";
inline constexpr const char* kCopyright = "Copyright (C) 2011 Ostrale Systems, Inc.";
// The program's version, as the About box shows it after "Version "; the
// packages and the wire trace take it from here.
inline constexpr const char* kVersion = "2.0.0.38";

// Shown, blinking, in the result line while the program waits for the boot
// loader to announce itself: the unit's boot loader only does so right after
// it gets its power, so the technician has to (re)connect it now.
inline constexpr const char* kWakePrompt =
    "Connect the Tollvane QX-R to the serial port now (if it is connected, unplug it and plug it in again).";
// What the unit's running application answers when asked who it is ("<V");
// at most 25 bytes.
inline constexpr const char* kApplicationAnswer = "TVQXR-APP-4.12\r";

// The radio gateway that the radio variants reach the remote unit through:
// its name, and what it answers to "<V" (at most 25 bytes each). Variant 3
// knows one gateway model, variant 6 two.
inline constexpr const char* kGatewayName = "Tollvane RG-400 Radio Gateway";
inline constexpr const char* kGatewayAnswersVariant3[] = {"TVRG-400 V1.20\r"};
inline constexpr const char* kGatewayAnswersVariant6[] = {"TVRG-400 V2.03\r", "TVRG-410 V2.03\r"};

// The remote unit sends its parameters, once its Setup button has been
// pressed, as one line:
//
//   $ROVER,<id>,<SH>,<SL>,<PAN>,<CH>*<XX>\r
//
// <id> one letter or digit (the module ID), <SH> and <SL> 8 hexadecimal
// digits each (its network serial number, high and low half), <PAN> 4 and
// <CH> 2 hexadecimal digits, and <XX> two hexadecimal digits: the exclusive
// or of every character between '$' and '*'. For example
//   $ROVER,7,00A4B512,7C3E9D01,3332,0C*4A\r
inline constexpr const char* kRoverLineStart = "$ROVER,";

// The rover module dialog's instructions, shown joined in this order.
inline constexpr const char* kRoverInstructions[15] = {
    ("The Tollvane QX-R to be updated is reached by radio, through the Tollvane RG-400 Radio Gateway "
     "connected to this computer. "),
    "Before the update can start, the gateway needs the control parameters of the Rover Module.\n\n",
    "1. Make sure the Rover Module is switched on and within radio range of the gateway.\n",
    "2. On the Rover Module, press and release the Setup button once.\n",
    "3. The Rover Module sends its parameters by radio. Within a few seconds they appear above: ",
    "its module ID, network serial number, PAN ID and RF channel.\n",
    "4. Check that the Rover Module ID is the one of the unit you mean to update.\n",
    "5. Press Start Update. The update then runs in the main window.\n\n",
    "If nothing appears within ten seconds, move the Rover Module closer to the gateway ",
    "and press its Setup button again. ",
    "If the parameters are reported as garbled, press the Setup button again.\n",
    "Do not switch off the Rover Module or the gateway ",
    "until the main window reports the result of the update.\n\n",
    "Press Cancel Update to leave without updating; ",
    "the gateway is then put back as it was.",
};
inline constexpr const char* kRoverSetupPrompt = "Press & release the Setup button on Rover Module.";

inline constexpr const char* kSettingsKey = "Ostrale Systems";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kComPortEntry = "ComPort";

} // namespace tvqx::product
