// The console program as a product built for another update procedure would
// be, for tests that run it as a process.

#include "cli/CliProgram.h"

int main(int argc, char** argv)
{
    return tvqx::cli::CliProgramMain(argc, argv, TVQX_TEST_UPDATE_VARIANT, 0);
}
