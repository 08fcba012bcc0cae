// Renders the main window, the About box and the rover module dialog to PNG
// files, as a user sees them after a successful update: the sample firmware
// files, COM1 and COM3 present, COM3 chosen, the update run against the
// built-in device simulator on simulated time (so it takes no real time and
// needs no hardware).
//
//   QT_QPA_PLATFORM=offscreen tvqx-render-dialogs OUTPUT_DIR [FIRMWARE_DIR]
//
// writes OUTPUT_DIR/main-window.png, OUTPUT_DIR/main-window-waiting.png (a
// waiting variant's window while it waits for the boot loader),
// OUTPUT_DIR/about-box.png and OUTPUT_DIR/rover-module-dialog.png (a radio
// variant's parameter dialog once the remote unit has sent its line).

#include "app/AboutDlg.h"
#include "app/TVQX_UpdateApp.h"
#include "gui/AppIcon.h"
#include "gui/PortToolTips.h"
#include "tools/render-dialogs/PictureScenes.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/QtBackend.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

using namespace tvqx;

namespace {

bool Save(QtBackend& ui, CDialog& dialog, const QString& path)
{
    QCoreApplication::processEvents();
    DialogWindow* window = ui.WindowOf(dialog);
    const bool saved = window && window->grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: tvqx-render-dialogs OUTPUT_DIR [FIRMWARE_DIR]\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    std::string firmwareDir = argc > 2 ? argv[2] : TVQX_EXAMPLES_DIR;
    if (!firmwareDir.empty() && firmwareDir.back() != '/')
        firmwareDir += '/';
    QDir().mkpath(outDir);
    QTemporaryDir tempDir;

    render::PictureProgram<QtBackend> program("/dev/ttyS0", "/dev/ttyUSB0");
    QtBackend& ui = program.ui;
    ui.SetApplicationIcon(ApplicationIcon());
    ui.SetToolTipProvider(PortToolTips([&program](int port) { return program.inventory.DevicePath(port); }));

    ui.interceptMessageBox = [](QMessageBox& box) {
        std::printf("[%s] %s\n", qPrintable(box.windowTitle()), qPrintable(box.text()));
        return true;
    };
    bool ok = true;
    bool roverShown = false;
    ui.onModalStart = [&](CDialog& dialog) {
        if (auto* main = dynamic_cast<CTVQX_UpdateDlg*>(&dialog)) {
            ui.UserClicked(*main, IDC_BEGIN_UPDATE);
            ok = Save(ui, *main, outDir + QStringLiteral("/main-window.png")) && ok;
            // The same window built as the row variant, waiting for a unit
            // that has not announced itself yet.
            sim::VariantDeviceFaults asleep;
            asleep.wakeUp.neverWakes = true;
            sim::VariantDevice waiting = sim::MakeDeviceForVariant(1, asleep);
            program.Use(1, waiting.Line());
            ui.UserClicked(*main, IDC_BEGIN_UPDATE);
            ok = Save(ui, *main, outDir + QStringLiteral("/main-window-waiting.png")) && ok;
            ui.UserClicked(*main, IDC_BEGIN_UPDATE);
            // A radio variant asking for the remote unit's parameters; the
            // dialog's picture is taken when it comes up, then it is cancelled.
            sim::VariantDevice gateway = render::MakeRadioDevice();
            program.Use(render::kRadioVariant, gateway.Line());
            ui.UserClicked(*main, IDC_BEGIN_UPDATE);
            if (!roverShown)
                std::fprintf(stderr, "the rover module dialog did not come up\n");
            ok = roverShown && ok;
            program.Use(10, program.device);
            ui.UserSystemCommand(*main, IDM_ABOUTBOX);
            ui.UserClicked(*main, IDCANCEL);
        } else if (auto* rover = dynamic_cast<CRover_Module_ID_Dlg*>(&dialog)) {
            roverShown = true;
            render::ReceiveParameters(*rover, program.clock);
            ok = Save(ui, *rover, outDir + QStringLiteral("/rover-module-dialog.png")) && ok;
            ui.UserClicked(*rover, IDCANCEL);
        } else {
            ok = Save(ui, dialog, outDir + QStringLiteral("/about-box.png")) && ok;
            ui.UserClicked(dialog, IDOK);
        }
    };
    CTVQX_UpdateApp app(program.services, firmwareDir, QDir(tempDir.path()).absolutePath().toStdString() + "/");
    app.InitInstance();
    return ok ? 0 : 1;
}
