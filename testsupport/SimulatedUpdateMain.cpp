// Runs one whole firmware update against the built-in device simulator and
// prints what the window shows: every message box, then the status lines.
// The firmware files are read from beside this program (or --dir), just as
// the window reads them; time is simulated, so the run takes no real time.

#include "app/TVQX_UpdateApp.h"
#include "app/TVQX_UpdateDlg.h"
#include "firmware/FirmwareTexts.h"
#include "platform/Directories.h"
#include "platform/File.h"
#include "sim/PageBootLoader.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace tvqx;

namespace {

constexpr int kPort = 1;

void Usage()
{
    std::puts("usage: tvqx-simulated-update [--dir DIR] [--resend-page N] [--silent-from-page N]\n"
              "\n"
              "Updates a simulated Tollvane QX-R on COM1 with the firmware described in\n"
              "DIR/Tollvane-QX-R_with_Rd_Sw_Conn.txt (default: this program's directory)\n"
              "and prints every message box and the status lines. The device's time is\n"
              "simulated: pauses and time-outs cost no real time.\n"
              "\n"
              "  --resend-page N       the device asks for page N twice more before taking it\n"
              "  --silent-from-page N  the device stops answering at page N (the update fails)\n"
              "\n"
              "Exit status: 0 updated and the device's flash equals the image, 1 otherwise.");
}

std::vector<uint8_t> ReadImage(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::optional<File> f = File::OpenRead(path);
    if (!f)
        return bytes;
    const int64_t length = f->GetLength();
    if (length <= 0)
        return bytes;
    bytes.resize(static_cast<size_t>(length));
    if (f->Read(bytes.data(), bytes.size()) != static_cast<std::ptrdiff_t>(bytes.size()))
        bytes.clear();
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir = ExecutableDirectory();
    sim::PageBootLoaderFaults faults;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--dir" && hasValue) {
            dir = argv[++i];
            if (!dir.empty() && dir.back() != '/')
                dir += '/';
        } else if (arg == "--resend-page" && hasValue) {
            faults.resendsForPage[static_cast<uint16_t>(std::atoi(argv[++i]))] = 2;
        } else if (arg == "--silent-from-page" && hasValue) {
            faults.hangAtPage = static_cast<uint16_t>(std::atoi(argv[++i]));
        } else {
            Usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    sim::PageBootLoader device(faults);
    ProgramOnVirtualTime<> program(1'000'000, {{"COM1", "(simulated Tollvane QX-R)"}});
    VirtualTickClock& clock = program.clock;
    HeadlessBackend& ui = program.ui;
    program.ports.Attach(kPort, device);

    ui.onMessageBox = [](const MessageBoxRecord& box) {
        std::printf("[%s]\n%s\n\n", box.caption.c_str(), box.text.c_str());
        std::fflush(stdout);
    };

    // The program as it starts for real: the application runs the main
    // window modally; once it is up, this "technician" presses Begin Update,
    // reads the status lines and presses Done.
    bool updated = false;
    bool flashMatches = false;
    ui.onModalStart = [&](CDialog& window) {
        auto* dlg = dynamic_cast<CTVQX_UpdateDlg*>(&window);
        if (!dlg)
            return;   // a box opened from the window: nothing to do in it
        std::printf("Firmware directory: %s\nPort: COM%d (simulated device)\n\n", dir.c_str(), kPort);
        const auto started = std::chrono::steady_clock::now();
        const uint64_t startMs = clock.Now();
        ui.Click(*dlg, IDC_BEGIN_UPDATE);
        const double realMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();

        for (int id : {IDC_FIRMWARE_FILE, IDC_FIRMWARE_VERSION, IDC_BOOTLOADER_VERSION, IDC_PROGRESS, IDC_RESULT})
            std::printf("%s\n", dlg->GetDlgItemText(id).c_str());
        const std::vector<uint8_t> image = ReadImage(dlg->m_tempDir + texts::kImageFileName);
        updated = dlg->GetDlgItemText(IDC_RESULT) == "Tollvane QX-R firmware successfully updated";
        flashMatches = !image.empty() && image.size() <= device.Flash().size() &&
                       std::equal(image.begin(), image.end(), device.Flash().begin());
        std::printf("\nDevice: %zu pages written, end marker %s; flash %s the %zu-byte image.\n",
                    device.PagesWritten().size(), device.EndMarkerReceived() ? "received" : "not received",
                    flashMatches ? "equals" : "does NOT equal", image.size());
        std::printf("Simulated time %.1f s, real time %.1f ms.\n", (clock.Now() - startMs) / 1000.0, realMs);
        ui.Click(*dlg, IDCANCEL);
    };
    CTVQX_UpdateApp app(program.services, dir, UserTempDirectory());
    app.InitInstance();
    return updated && flashMatches ? 0 : 1;
}
