// tvqx-update-cli: the firmware update without a window, for a terminal or a
// script. The window's own logic runs on the headless dialog backend with the
// real clock, the real serial ports and the settings the window program uses.

#include "cli/CliProgram.h"

int main(int argc, char** argv)
{
    return tvqx::cli::CliProgramMain(argc, argv, TVQX_UPDATE_VARIANT, TVQX_LINK_FRAME_TYPE);
}
