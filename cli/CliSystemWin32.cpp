#include "cli/CliSystem.h"

#include "app/ProductInfo.h"
#include "cli/ConsoleReport.h"
#include "cli/Utf8Text.h"
#include "platform/PathText.h"
#include "platform/Win32PortInventory.h"
#include "platform/Win32Profile.h"
#include "serial/Win32PortLayer.h"

#include "platform/Win32Api.h"

#include <io.h>

#include <cstdio>
#include <iostream>

namespace tvqx::cli {

// The settings of the window program tvqx-update.exe, whatever this
// program's own file is called: the two share the saved port.
constexpr const char* kWindowProgramName = "tvqx-update";

SystemLayers OpenSystemLayers()
{
    SystemLayers layers;
    layers.inventory = std::make_unique<RegistryPortInventory>();
    layers.ports = std::make_unique<Win32PortLayer>();
    layers.profile = std::make_unique<RegistryProfile>(product::kSettingsKey, kWindowProgramName);
    // Access to a COM port is not a matter of groups here: a port that does
    // not open is missing or held by another program, which the window's
    // own message says.
    return layers;
}

int ListSystemPorts(std::ostream& out, std::ostream& err)
{
    RegistryPortInventory inventory;
    const auto ports = inventory.ListSerialDevices();
    if (ports)
        for (const auto& port : *ports)
            out << FormatDeviceMapListing(port) << "\n";
    if (!ports || ports->empty())
        err << "no serial ports found\n";
    return 0;
}

bool StandardOutputIsTerminal()
{
    return ::_isatty(::_fileno(stdout)) != 0;
}

namespace {

void WriteAsConsoleText(DWORD which, std::ostream& stream)
{
    const HANDLE console = ::GetStdHandle(which);
    DWORD mode = 0;
    if (console == nullptr || console == INVALID_HANDLE_VALUE || !::GetConsoleMode(console, &mode))
        return;   // a file or a pipe: its reader takes the UTF-8 as it is
    stream.flush();
    // Kept for the program's whole life: the streams are flushed into it at
    // its very end.
    static_cast<void>(stream.rdbuf(new Utf8TextBuffer([console](std::string_view text) {
        const std::wstring wide = Widen(std::string(text));
        DWORD written = 0;
        ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    })));
}

} // namespace

void UseConsoleText()
{
    WriteAsConsoleText(STD_OUTPUT_HANDLE, std::cout);
    WriteAsConsoleText(STD_ERROR_HANDLE, std::cerr);
}

} // namespace tvqx::cli
