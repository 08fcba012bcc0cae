#pragma once
// Ctrl-C and the requests to end for the console front end. While the
// window waits for the device between messages, Ctrl-C is the "Cancel
// Update" button: the handler only notes it and the message loop presses the
// button. At any other time a transfer runs inside one handler and never
// gets back to the loop, so Ctrl-C ends the program at once, as it does
// without a handler: the kernel closes the port and the device loses its
// power. A request to end (SIGTERM, or SIGHUP when the terminal goes) always
// ends it at once, in the same way. Either way the program dies by its
// signal (a shell shows 130 or 143), which no script can take for a success,
// and leaves the port free for the next program.

namespace tvqx::cli {

// Installs the handlers; Ctrl-C ends the program until the first
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
