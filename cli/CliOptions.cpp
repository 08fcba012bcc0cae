#include "cli/CliOptions.h"

#include "platform/PortInventory.h"

namespace tvqx::cli {

namespace {

// "COM3" in any case, or just "3".
int ParsePort(const std::string& value)
{
    if (const int n = ComPortNumber(value))
        return n;
    return ComPortNumber("COM" + value);
}

} // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args)
{
    CliOptions options;
    auto invalid = [&](std::string why) {
        options.action = CliOptions::Action::Invalid;
        options.error = std::move(why);
        return options;
    };
    bool listPorts = false;
    bool help = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--list-ports") {
            listPorts = true;
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            if (arg == "--port") {
                if (i + 1 >= args.size())
                    return invalid("--port needs a port, for example --port COM3");
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            if (options.port != 0)
                return invalid("--port given twice");
            options.port = ParsePort(value);
            if (options.port == 0)
                return invalid("not a port: " + value + " (COM1 to COM22)");
        } else {
            return invalid("unknown option: " + arg);
        }
    }
    // Help wins over everything else, so that it can always be asked for.
    if (help)
        options.action = CliOptions::Action::Help;
    else if (listPorts)
        options.action = CliOptions::Action::ListPorts;
    return options;
}

std::string UsageText()
{
    return R"(usage: tvqx-update-cli [--port COMn] [--list-ports] [--help]

Updates the firmware of a Tollvane QX-R on a serial port, without a window.
It does exactly what the Tollvane QX-R Firmware Update window does when you
press "Begin Update" once: it reads the firmware description file
Tollvane-QX-R_with_Rd_Sw_Conn.txt and the HEX file it names from this
program's own directory, opens the port (which powers the device), wakes the
boot loader and sends the firmware page by page.

  --port COMn    update on COMn (1 to 22; "3" is taken as COM3). Without it,
                 the port of the last successful update is used, else the
                 lowest port present, as the window preselects them.
  --list-ports   print each present port, its device and where it comes
                 from, one per line, and exit.
  --help         print this text and exit.

Output:
  Every message box the window would show, as its caption in square
  brackets, then its text exactly (blanks and line breaks kept), then an
  empty line. While pages are sent, a progress bar on a terminal, or a line
  now and then otherwise. At the end the five status lines of the window:
  firmware file, firmware version, boot loader version, progress, result.

Exit status:
  0  the firmware was updated ("Firmware Update Complete")
  1  the update was started and failed
  2  no update could start: unusable firmware files, no such port, no port
     at all, or a wrong command line

COM ports on Linux:
  COMn is present when ~/.config/Ostrale Systems/ports/ (under
  $XDG_CONFIG_HOME when set) holds an entry named COMn (any case) that
  leads to a serial device, for example:
      ln -s /dev/serial/by-id/usb-... ~/.config/"Ostrale Systems"/ports/COM3
  Serial ports not named there are numbered automatically: a built-in UART
  /dev/ttySk is COM k+1 (unless the port directory uses that number), then
  USB adapters (/dev/ttyACM*, then /dev/ttyUSB*, in order of their numbers)
  take the lowest numbers still free. A device named in the port directory
  is not numbered a second time.
  Serial devices usually belong to the group "dialout": to open them, add
  yourself to it (sudo usermod -aG dialout $USER) and log in again.

The port of each successful update is saved in
~/.config/Ostrale Systems/tvqx-update.conf, shared with the window program.
Ctrl-C ends the program at once; closing the port powers the device down,
and an interrupted update is simply started again.
)";
}

} // namespace tvqx::cli
