#pragma once
// The Windows headers, for the files of the Win32 backend.
//
// The dialog layer speaks the window system's vocabulary itself: its
// constants (WM_COMMAND, IDOK, MB_OK...) and its member functions
// (SendMessage, PostMessage, GetWindowText, AppendMenu...) carry the names
// that <windows.h> turns into macros. So the dialog layer's headers come
// first, and the macros that would rename its member functions are dropped
// afterwards; the Win32 calls are then written with their "A" names, or
// their "W" names where a text of the program (UTF-8) goes to the system.
// Include this header last.

#include "ui/Dialog.h"

namespace tvqx {
// Two of the dialog layer's template flags share their names with window
// styles that <windows.h> defines as macros, with other values; after it,
// they are reached by these names.
inline constexpr uint32_t kTemplateModalFrame = DS_MODALFRAME;
inline constexpr uint32_t kTemplateSetFont = DS_SETFONT;
} // namespace tvqx

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#undef AppendMenu
#undef CreateFile
#undef DefWindowProc
#undef GetDlgItemText
#undef GetNextWindow
#undef GetProfileInt
#undef GetWindowText
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetDlgItemText
#undef SetWindowText
