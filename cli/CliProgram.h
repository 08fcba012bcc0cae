#pragma once
// The whole console program, for a main() that passes in the constants it
// was built with (the product's own, or a test program's).

namespace tvqx::cli {

// Parses the command line, then prints the help, lists the ports or runs
// one update on the real ports and clock. Returns the exit status.
int CliProgramMain(int argc, char** argv, int updateVariant, int linkFrameType);

} // namespace tvqx::cli
