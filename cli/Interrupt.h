#pragma once
// Ctrl-C for the console front end. While the window waits for the device
// between messages, Ctrl-C is the "Cancel Update" button: the handler only
// notes it and the message loop presses the button. At any other time a
// transfer runs inside one handler and never gets back to the loop, so
// Ctrl-C ends the program at once, as it does without a handler: the kernel
// closes the port and the device loses its power.

namespace tvqx::cli {

// Installs the SIGINT handler; Ctrl-C ends the program until the first
// SetInterruptCancels(true).
void InstallInterruptHandler();

// Whether Ctrl-C now only asks for a cancel. Turning it off while a request
// is still untaken ends the program at once: the user pressed Ctrl-C as the
// wait ended by itself, and what follows (the transfer) is no longer
// cancellable.
void SetInterruptCancels(bool cancels);

// True once after Ctrl-C asked for a cancel.
bool TakeInterruptRequest();

} // namespace tvqx::cli
