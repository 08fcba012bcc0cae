#pragma once
// How every boot loader of the unit is entered and how it names itself,
// whichever way it then takes the firmware (pages or HEX rows).

#include <cstdint>

namespace tvqx::sim {

inline constexpr char kBootEntryCommand[] = "~#&TV-QX-R-205-7.31";
// The version is 12 characters; its answer ends with a CR.
inline constexpr char kBootVersion[] = "TVQXR-1-4.00";
inline constexpr uint8_t kBootVersionEnd = 0x0D;

} // namespace tvqx::sim
