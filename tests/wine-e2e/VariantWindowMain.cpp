// The window program as a product built for another update procedure would
// be, for tests that run it as a process.

#include "gui/win32/WindowProgram.h"

#include "ui/win32/Win32Api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return tvqx::WindowProgramMain(instance, TVQX_TEST_UPDATE_VARIANT, 0);
}
