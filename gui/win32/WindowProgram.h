#pragma once
// The window program on Windows, for the product's entry point and for test
// builds of other update procedures.

struct HINSTANCE__;

namespace tvqx {

// Runs the program with the dialog manager, the system's tick counter and
// COM ports, the settings in the registry, the serial device map, the
// desktop's windows and the shell; returns the process's exit code.
int WindowProgramMain(HINSTANCE__* instance, int updateVariant, int linkFrameType);

} // namespace tvqx
