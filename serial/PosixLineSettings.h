#pragma once
// The line settings of a Dcb in termios terms, apart from any device: what
// the POSIX port layer writes to the terminal.

#include "serial/PortLayer.h"

#include <termios.h>

namespace tvqx {

// Puts the Dcb's speed, byte format, parity checking and software flow
// control into t, keeping the rest. False, with t untouched, for a byte size
// or parity the terminal cannot have. *standardSpeed says whether the speed
// has a B constant; without one t carries 9600 and the caller sets the rate
// by number where the system can.
bool ApplyLineSettings(const Dcb& dcb, termios& t, bool* standardSpeed);

// Start bit, data, parity and stop bits (1.5 counted as 2) of one byte.
int BitsPerByte(const Dcb& dcb);

} // namespace tvqx
