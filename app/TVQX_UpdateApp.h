#pragma once
// The application: works out where the program and its temporary files live,
// then runs the main window until it is closed.

#include "update/ProgramServices.h"

#include <string>

namespace tvqx {

class CTVQX_UpdateApp {
public:
    CTVQX_UpdateApp(ProgramServices& services, std::string programDir, std::string tempDir)
        : m_services(services), m_programDir(std::move(programDir)), m_tempDir(std::move(tempDir)) {}

    // Runs the main window modally; always FALSE, as there is nothing to do
    // after it.
    BOOL InitInstance();

private:
    ProgramServices& m_services;
    std::string m_programDir;
    std::string m_tempDir;
};

} // namespace tvqx
