#pragma once
// Driving the window program from outside its process, the way clicks
// would: its windows found by title, buttons pressed by the notification a
// click sends, message boxes read. A click is never imitated with BM_CLICK:
// sent to a disabled automatic radio button, Wine loops in it for ever.

#include "platform/Win32Api.h"

#include <string>
#include <vector>

namespace tvqx::winproc {

// The class of dialog boxes and message boxes.
inline constexpr const char* kDialogClass = "#32770";

std::string TextOf(HWND hwnd);

// The dialog box of `process` with this title once it has come up (other
// tests' windows may share the title); null when it has not within two
// minutes (Wine starting on a busy machine).
HWND WaitForWindow(DWORD process, const char* title);

// Every visible dialog box of `process` but those in `except`: the message
// boxes it shows.
std::vector<HWND> BoxesOf(DWORD process, const std::vector<HWND>& except);

// What a click on an enabled button makes the window see.
void Press(HWND dialog, int id);

// Chooses COMn among the main window's port buttons: the buttons checked as
// a click leaves them, then the click's notification. False when the
// port's button is missing or disabled.
bool ChoosePort(HWND main, int port);

} // namespace tvqx::winproc
