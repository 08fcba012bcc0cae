// tvqx-update.exe: the firmware update utility's window on Windows, running
// the update procedure and the link frame form the product is built with.

#include "gui/win32/WindowProgram.h"

#include "ui/win32/Win32Api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return tvqx::WindowProgramMain(instance, TVQX_UPDATE_VARIANT, TVQX_LINK_FRAME_TYPE);
}
