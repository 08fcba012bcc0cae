// Shows the main window, the rover module dialog and the About box on the
// Win32 backend as a user sees them, one after the other, for a picture of
// each: the sample firmware files, COM1 and COM3 present, COM3 chosen, the
// update run against the built-in device simulator on simulated time; then
// a radio variant's update, whose dialog has just received the remote
// unit's parameters.
//
//   tvqx-render-windows HANDSHAKE_DIR [FIRMWARE_DIR]
//
// For each window it writes HANDSHAKE_DIR\<name>.rect ("x y width height",
// screen pixels) once the window is painted, and keeps it on screen until
// HANDSHAKE_DIR\<name>.done appears (render-windows.sh takes the picture in
// between). Names, in this order: windows-main-window,
// windows-rover-module-dialog, windows-about-box.

#include "app/AboutDlg.h"
#include "app/TVQX_UpdateApp.h"
#include "tools/render-dialogs/PictureScenes.h"
#include "ui/win32/Win32Backend.h"

#include <cstdio>
#include <string>

#include "ui/win32/Win32Api.h"

using namespace tvqx;

namespace {

constexpr DWORD kPictureTimeoutMs = 60000;

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Paints the window, tells where it is, and keeps it up (answering its
// messages) until the picture has been taken.
bool HoldForPicture(Win32Backend& ui, CDialog& dialog, const std::string& dir, const std::string& name)
{
    const HWND hwnd = ui.WindowOf(dialog);
    if (!hwnd)
        return false;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(hwnd, &r);
    const std::string rectFile = dir + "\\" + name + ".rect";
    if (std::FILE* f = std::fopen(rectFile.c_str(), "w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(f);
    } else {
        return false;
    }
    const DWORD start = GetTickCount();
    while (!Exists(dir + "\\" + name + ".done")) {
        if (GetTickCount() - start > kPictureTimeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    std::printf("%s: shown at %ld,%ld\n", name.c_str(), r.left, r.top);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tvqx-render-windows HANDSHAKE_DIR [FIRMWARE_DIR]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string firmwareDir = argc > 2 ? argv[2] : TVQX_EXAMPLES_DIR;
    if (!firmwareDir.empty() && firmwareDir.back() != '\\' && firmwareDir.back() != '/')
        firmwareDir += '\\';
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);

    InitCommonControls();
    render::PictureProgram<Win32Backend> program("\\\\.\\COM1", "\\\\.\\COM3");
    Win32Backend& ui = program.ui;
    ui.SetApplicationIcon(IDR_MAINFRAME);

    ui.interceptMessageBox = [](const std::string& text, const std::string& caption, UINT) {
        std::printf("[%s] %s\n", caption.c_str(), text.c_str());
        return true;
    };
    bool ok = true;
    bool roverShown = false;
    ui.onModalStart = [&](CDialog& dialog) {
        if (auto* main = dynamic_cast<CTVQX_UpdateDlg*>(&dialog)) {
            // As the user does it: the button, then the system menu's item.
            SendMessageA(ui.ControlOf(*main, IDC_BEGIN_UPDATE), BM_CLICK, 0, 0);
            ok = HoldForPicture(ui, *main, dir, "windows-main-window") && ok;
            // A radio variant asking for the remote unit's parameters; the
            // dialog is pictured when it comes up, then cancelled.
            sim::VariantDevice gateway = render::MakeRadioDevice();
            program.Use(render::kRadioVariant, gateway.Line());
            SendMessageA(ui.ControlOf(*main, IDC_BEGIN_UPDATE), BM_CLICK, 0, 0);
            if (!roverShown)
                std::fprintf(stderr, "the rover module dialog did not come up\n");
            ok = roverShown && ok;
            program.Use(10, program.device);
            SendMessageA(ui.WindowOf(*main), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            SendMessageA(ui.ControlOf(*main, IDCANCEL), BM_CLICK, 0, 0);
        } else if (auto* rover = dynamic_cast<CRover_Module_ID_Dlg*>(&dialog)) {
            roverShown = true;
            render::ReceiveParameters(*rover, program.clock);
            ok = HoldForPicture(ui, *rover, dir, "windows-rover-module-dialog") && ok;
            SendMessageA(ui.ControlOf(*rover, IDCANCEL), BM_CLICK, 0, 0);
        } else {
            ok = HoldForPicture(ui, dialog, dir, "windows-about-box") && ok;
            SendMessageA(ui.ControlOf(dialog, IDOK), BM_CLICK, 0, 0);
        }
    };
    CTVQX_UpdateApp app(program.services, firmwareDir, temp);
    app.InitInstance();
    return ok ? 0 : 1;
}
