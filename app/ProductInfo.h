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

// Shown, blinking, in the result line while the program waits for the boot
// loader to announce itself: the unit's boot loader only does so right after
// it gets its power, so the technician has to (re)connect it now.
inline constexpr const char* kWakePrompt =
    "Connect the Tollvane QX-R to the serial port now (if it is connected, unplug it and plug it in again).";
// What the unit's running application answers when asked who it is ("<V");
// at most 25 bytes.
inline constexpr const char* kApplicationAnswer = "TVQXR-APP-4.12\r";

inline constexpr const char* kSettingsKey = "Ostrale Systems";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kComPortEntry = "ComPort";

} // namespace tvqx::product
