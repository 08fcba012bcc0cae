// What --help says: the options, and what the build's update procedure means
// for the person running it.

#include "cli/CliOptions.h"

namespace tvqx::cli {

VariantTraits TraitsOfVariant(int updateVariant)
{
    switch (updateVariant) {
    case 1:
    case 4:
    case 5: return {true, true};
    case 3:
    case 6: return {true, false, true};
    case 2:
    case 10: return {true, false};
    default: return {false, false};
    }
}

namespace {

constexpr const char* kWaitExplained =
    "  it opens the port, prints a prompt and waits, without a time limit, for\n"
    "  the boot loader to announce itself, which it does right after it gets\n"
    "  its power: connect the unit then (or unplug it and plug it in again).\n";

constexpr const char* kRadioExplained =
    "  the port leads to a radio gateway: it finds the gateway, sets up the\n"
    "  radio link to the remote unit and updates that unit through it. When\n"
    "  the remote unit's boot loader does not answer, the link has to be set\n"
    "  up for that unit first: the program prints how to get the unit's\n"
    "  parameters and waits, without a time limit, until the unit sends them\n"
    "  (press its Setup button). It prints what became of each line the unit\n"
    "  sent, and the parameters once they came, and goes on with them.\n";

std::string VariantParagraph(int updateVariant)
{
    const std::string heading = "This program was built for update procedure " + std::to_string(updateVariant);
    const std::string waits = heading + " (it waits for the device):\n";
    const std::string atOnce = heading + " (it runs at once):\n";
    const std::string radio = heading + " (it may wait for a Setup press):\n";
    switch (updateVariant) {
    case 1: return waits + kWaitExplained + "  Then it sends the HEX file row by row, each row paced by the device.\n";
    case 2:
        return atOnce + "  it asks the unit's running application to hand over to its boot loader\n"
                        "  (or finds the boot loader running already) and sends the HEX file\n"
                        "  row by row, each row paced by the device.\n";
    case 3: return radio + kRadioExplained + "  The HEX file is sent row by row.\n";
    case 4: return waits + kWaitExplained + "  Then it sends the firmware in pages of 256 bytes.\n";
    case 5:
        return waits + kWaitExplained +
               "  (Right after opening the port it sends a start command on the line.)\n"
               "  Then it sends the firmware in pages of 256 bytes.\n";
    case 6: return radio + kRadioExplained + "  The firmware is sent in pages of 256 bytes.\n";
    case 10:
        return atOnce + "  it wakes the boot loader with its entry command and sends the firmware\n"
                        "  in pages of 128 bytes.\n";
    default:
        return heading + ", which has none:\n"
                         "  \"Begin Update\" does nothing in it, so every update ends with status 2\n"
                         "  before it starts. --list-ports works.\n";
    }
}

std::string OutputParagraph(const VariantTraits& traits)
{
    std::string text = "Output:\n"
                       "  Every message box the window would show, as its caption in square\n"
                       "  brackets, then its text exactly (blanks and line breaks kept), then an\n"
                       "  empty line. While pages or rows are sent, a progress bar on a terminal,\n"
                       "  or a line now and then otherwise. ";
    if (traits.waits)
        text += "While the program waits for the device,\n"
                "  the window's prompt, once, and \"Press Ctrl-C to cancel.\". At the end\n";
    else if (traits.asksForRemoteUnit)
        text += "While the program waits for the remote\n"
                "  unit's parameters, the instructions and the prompt of the window that\n"
                "  asks for them, once, and \"Press Ctrl-C to cancel.\". At the end\n";
    else
        return text + "At the end the five status lines of\n"
                      "  the window: firmware file, firmware version, boot loader version,\n"
                      "  progress, result.\n";
    return text + "  the five status lines of the window: firmware file, firmware version,\n"
                  "  boot loader version, progress, result.\n";
}

std::string BatchParagraph()
{
    return "\nA batch reads the firmware files once, and the page image stays held until\n"
           "the last unit is done. Every line of a unit starts with its port (\"COM3: \"):\n"
           "its messages, a progress line now and then, its status lines. Then one line\n"
           "per unit: its port, \"updated\", \"failed\" (with the first line of its\n"
           "message) or \"cancelled\", and its time; last \"N of M units updated\". Its\n"
           "exit status is 0 when every unit was updated, 1 when any failed, 130 after\n"
           "Ctrl-C. A batch leaves the saved port as it was and writes no wire trace.\n";
}

std::string ExitStatusParagraph(const VariantTraits& traits)
{
    const std::string text = "Exit status:\n"
                             "  0    the firmware was updated (\"Firmware Update Complete\")\n"
                             "  1    the update was started and failed\n"
                             "  2    no update could start: unusable firmware files, no such port, no port\n"
                             "       at all, or a wrong command line\n"
                             "  130  cancelled with Ctrl-C while waiting for the device";
    if (traits.waits)
        return text + "\n";
    if (traits.asksForRemoteUnit)
        return text + " (here: for the\n       remote unit's parameters)\n";
    return text + " (never in this\n       program: it does not wait)\n";
}

std::string CtrlCParagraph(int updateVariant)
{
    if (TraitsOfVariant(updateVariant).asksForRemoteUnit)
        return "Ctrl-C:\n"
               "  While the program waits for the remote unit's parameters,\n"
               "  Ctrl-C is \"Cancel Update\": the gateway is put back as it was, the port\n"
               "  is closed, the status lines are printed and the exit status is 130. At\n"
               "  any other time Ctrl-C ends the program at once: closing the port ends\n"
               "  the update, which is simply started again.\n";
    if (!TraitsOfVariant(updateVariant).waits)
        return "Ctrl-C:\n"
               "  Ctrl-C ends the program at once: closing the port powers the device\n"
               "  down, and an interrupted update is simply started again.\n";
    // The procedures that send pages delete their page image on a cancel.
    return std::string("Ctrl-C:\n"
                       "  While the program waits for the device, Ctrl-C is \"Cancel Update\": the\n") +
           (updateVariant == 1 ? "  port is closed (the device loses its power), the status lines are\n"
                                 "  printed and the exit status is 130. "
                               : "  port is closed (the device loses its power), the page image is deleted,\n"
                                 "  the status lines are printed and the exit status is 130. ") +
           "Once the firmware\n"
           "  is being sent, Ctrl-C ends the program at once: closing the port powers\n"
           "  the device down, and an interrupted update is simply started again.\n";
}

constexpr const char* kLinuxPortsAndSettings = R"(
COM ports on Linux:
  COMn is present when ~/.config/Ostrale Systems/ports/ (under
  $XDG_CONFIG_HOME when set) holds an entry named COMn (any case) that
  leads to a serial device, for example:
      ln -s /dev/serial/by-id/usb-... ~/.config/"Ostrale Systems"/ports/COM3
  Serial ports not named there are numbered automatically: a built-in UART
  /dev/ttySk is COM k+1 (unless the port directory uses that number), then
  USB adapters (/dev/ttyACM*, then /dev/ttyUSB*, in order of their numbers)
  take the lowest numbers still free. A device named in the port directory
  is not numbered a second time. --list-ports names each USB adapter by its
  maker, product and serial number, as /dev/serial/by-id does.
  --port also takes a device (--port /dev/ttyUSB0, or a link to it such as
  /dev/serial/by-id/usb-...): the update runs on the COM port that leads to
  that device. A device without one is entered in the port directory first.
  Serial devices usually belong to the group "dialout": to open them, add
  yourself to it (sudo usermod -aG dialout $USER) and log in again.

The port of each successful update is saved in
~/.config/Ostrale Systems/tvqx-update.conf, shared with the window program.
)";

// On Windows the ports are the system's own, and the settings are the
// window program's registry entries: both programs preselect the same port.
constexpr const char* kWindowsPortsAndSettings = R"txt(
COM ports on Windows:
  The ports are those Windows lists in its serial device map
  (HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SERIALCOMM): the COM ports the
  Device Manager shows under "Ports (COM & LPT)". Only COM1 to COM22 can be
  used; --list-ports names the others too.

The port of each successful update is saved in the registry, value ComPort
under HKEY_CURRENT_USER\Software\Ostrale Systems\tvqx-update\Settings: the
same setting as the window program tvqx-update.exe, so each preselects the
port the other updated on last.
)txt";

std::string PortsAndSettingsParagraph(HelpSystem system)
{
    return system == HelpSystem::Windows ? kWindowsPortsAndSettings : kLinuxPortsAndSettings;
}

} // namespace

std::string UsageText(int updateVariant, HelpSystem system)
{
    const VariantTraits traits = TraitsOfVariant(updateVariant);
    return R"(usage: tvqx-update-cli [--port COMn]... [--all-ports] [--trace FILE]
                       [--list-ports] [--help]

Updates the firmware of a Tollvane QX-R on a serial port, without a window.
It does exactly what the Tollvane QX-R Firmware Update window does when you
press "Begin Update" once: it reads the firmware description file
Tollvane-QX-R_with_Rd_Sw_Conn.txt and the HEX file it names from this
program's own directory, opens the port (which powers the device), wakes the
boot loader and sends it the firmware.

)" + VariantParagraph(updateVariant) +
           R"(
  --port COMn    update on COMn (1 to 22; "3" is taken as COM3). Without it,
                 the port of the last successful update is used, else the
                 lowest port present, as the window preselects them. Given
                 two or more times, the units on all those ports are updated
                 at once (a batch), each as this program updates one.
  --all-ports    update the units on every port --list-ports shows, at once.
  --trace FILE   write a wire trace to FILE (made afresh): every byte sent
                 and received, in hex and as text, the line settings and the
                 modem lines, each with its time in milliseconds from the
                 port's first opening. Support asks for it when an update
                 fails. TVQX_TRACE=FILE in the environment does the same,
                 for the window program too; --trace wins over it.
  --list-ports   print each present port, its device and where it comes
                 from, one per line, and exit.
  --help         print this text and exit.

)" + OutputParagraph(traits) + BatchParagraph() +
           "\n" + ExitStatusParagraph(traits) + "\n" + CtrlCParagraph(updateVariant) +
           PortsAndSettingsParagraph(system);
}

} // namespace tvqx::cli
