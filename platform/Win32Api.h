#pragma once
// The Windows API as the program's Win32 layers include it. The system
// headers define as macros several names that the program's own interfaces
// use for their operations (CreateFile, PostMessage, GetWindowText,
// GetNextWindow, GetProfileInt); those macros are dropped again here, and the
// layers call the ...A functions by their full names. Include this after the
// program's own headers.

#ifndef _WIN32
#error "Win32Api.h is for Windows builds only"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>

#undef CreateFile
#undef PostMessage
#undef GetWindowText
#undef GetProfileInt
#undef GetNextWindow
