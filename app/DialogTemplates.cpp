#include "app/DialogTemplates.h"

#include "app/Resource.h"

namespace tvqx {

namespace {

// Every dialog of the program: a caption, a system menu, a modal frame and
// the shell's dialog font at 8 points; `extraStyle` adds to that.
DialogTemplate Dialog(int id, int cx, int cy, uint32_t extraStyle = 0)
{
    DialogTemplate t;
    t.id = id;
    t.cx = cx;
    t.cy = cy;
    t.fontFace = "MS Shell Dlg";
    t.fontPoints = 8;
    t.style = DS_CAPTION | DS_SYSMENU | extraStyle | DS_MODALFRAME | DS_SETFONT;
    return t;
}

DialogTemplate BuildMainWindow()
{
    DialogTemplate t = Dialog(IDD_TVQX_UPDATE_DIALOG, 647, 425, DS_MINIMIZEBOX | DS_APPWINDOW);
    using K = ControlKind;
    auto& c = t.controls;
    c.push_back({IDCANCEL, K::PushButton, "Done", 394, 404, 100, 14, CS_TABSTOP});
    c.push_back({IDC_PRODUCT_LINE, K::Static, "", 12, 6, 624, 12, CS_CENTER});
    c.push_back({IDC_STATIC, K::GroupBox, "Serial Port: ", 12, 24, 624, 44, 0});
    for (int n = 1; n <= 22; ++n) {
        const int row = n <= 11 ? 0 : 1;
        const int col = n <= 11 ? n - 1 : n - 12;
        const uint32_t style = n == 1 ? (CS_GROUP | CS_TABSTOP) : 0;
        c.push_back({IDC_COM1 + n - 1, K::AutoRadioButton, "COM" + std::to_string(n), 24 + 56 * col,
                     36 + 16 * row, 36, 10, style});
    }
    c.push_back({IDC_STATIC, K::GroupBox, "Instructions: ", 12, 80, 624, 180, CS_GROUP});
    c.push_back({IDC_INSTRUCTIONS, K::Static, "", 28, 92, 592, 164, CS_NOPREFIX});
    c.push_back({IDC_DETAILED_INSTRUCTIONS, K::PushButton, "Detailed\nInstructions", 576, 231, 52, 22,
                 CS_TABSTOP | CS_MULTILINE | CS_HIDDEN});
    c.push_back({IDC_STATIC, K::GroupBox, "Firmware Update Status: ", 12, 272, 624, 76, 0});
    c.push_back({IDC_FIRMWARE_FILE, K::Static, "Firmware file  =", 20, 284, 608, 8, CS_NOPREFIX});
    c.push_back({IDC_FIRMWARE_VERSION, K::Static, "", 20, 296, 608, 8, CS_NOPREFIX});
    c.push_back({IDC_BOOTLOADER_VERSION, K::Static, "", 20, 308, 608, 8, CS_NOPREFIX});
    c.push_back({IDC_PROGRESS, K::Static, "", 20, 320, 608, 8, CS_NOPREFIX});
    c.push_back({IDC_RESULT, K::Static, "", 20, 332, 608, 12, CS_NOPREFIX});
    c.push_back({IDC_SUPPORT_GROUP, K::GroupBox, "", 12, 360, 624, 36, CS_NOPREFIX});
    c.push_back({IDC_STATIC, K::Static,
                 "If you are having problems with this update, please contact technical support.", 20, 372,
                 548, 20, CS_NOPREFIX});
    c.push_back({IDC_CONTACT_INFO, K::PushButton, "Contact Info", 576, 373, 52, 14, CS_TABSTOP});
    c.push_back({IDC_REFRESH_PORTS, K::PushButton, "Refresh Serial Ports", 154, 404, 100, 14, CS_TABSTOP});
    c.push_back({IDC_BEGIN_UPDATE, K::PushButton, "Begin Update", 274, 404, 100, 14, CS_TABSTOP});
    // Last, so that the order of every control above stays as it was; it
    // sits in the gap under the port group.
    c.push_back({IDC_PORT_NOTE, K::Static, "", 24, 70, 600, 8, CS_NOPREFIX});
    return t;
}

DialogTemplate BuildAboutBox()
{
    DialogTemplate t = Dialog(IDD_ABOUTBOX, 482, 233);
    using K = ControlKind;
    auto& c = t.controls;
    c.push_back({IDC_STATIC, K::Icon, "", 19, 13, 20, 20, 0});
    c.push_back({IDC_ABOUT_VERSION, K::Static, "", 130, 18, 220, 8, CS_CENTER | CS_NOPREFIX});
    c.push_back({IDC_ABOUT_COPYRIGHT, K::Static, "", 112, 84, 257, 8, CS_CENTER});
    c.push_back({IDOK, K::DefPushButton, "OK", 206, 208, 69, 16, CS_TABSTOP | CS_GROUP});
    c.push_back({IDC_STATIC, K::Static, "All rights reserved.", 118, 94, 244, 8, CS_CENTER});
    c.push_back({IDC_ABOUT_PRODUCT, K::Static, "", 130, 8, 220, 8, CS_CENTER});
    c.push_back({IDC_ABOUT_RELEASED, K::Static, "", 130, 28, 220, 8, CS_CENTER});
    c.push_back({IDC_STATIC, K::Static, "Contact information:", 141, 120, 84, 8, 0});
    c.push_back({IDC_ABOUT_LABELS, K::Static, "Phone:\nFAX:\nEmail:\nWeb:\nHours:\nAddress:", 150, 128, 38,
                 58, CS_NOWORDWRAP});
    c.push_back({IDC_ABOUT_CONTACT, K::RichEdit, "", 188, 128, 184, 68, CS_MULTILINE | CS_READONLY});
    c.push_back({IDC_ABOUT_NOTE, K::Static, "", 74, 44, 332, 28, CS_CENTER});
    return t;
}

DialogTemplate BuildRoverModuleDialog()
{
    DialogTemplate t = Dialog(IDD_ROVER_MODULE_ID_DLG, 403, 277);
    t.caption = "Tollvane Rover Module Update";
    using K = ControlKind;
    auto& c = t.controls;
    c.push_back({IDC_STATIC, K::GroupBox, "Rover Mobule Control Parameters: ", 7, 7, 389, 68, 0});
    c.push_back({IDC_STATIC, K::Static, "Rover Module ID", 17, 24, 68, 8, 0});
    c.push_back({IDC_ROVER_MODULE_ID, K::Edit, "", 88, 22, 32, 12, CS_READONLY | CS_BORDER | CS_TABSTOP});
    c.push_back({IDC_STATIC, K::Static, "Network S/N", 17, 42, 68, 8, 0});
    c.push_back({IDC_NETWORK_SN, K::Edit, "", 88, 40, 96, 12, CS_READONLY | CS_BORDER | CS_TABSTOP});
    c.push_back({IDC_STATIC, K::Static, "PAN ID", 228, 24, 56, 8, 0});
    c.push_back({IDC_PAN_ID, K::Edit, "", 288, 22, 40, 12, CS_READONLY | CS_BORDER | CS_TABSTOP});
    c.push_back({IDC_RF_CHANNEL_LABEL, K::Static, "RF Channel", 228, 42, 56, 8, 0});
    c.push_back({IDC_RF_CHANNEL, K::Edit, "", 288, 40, 40, 12, CS_READONLY | CS_BORDER | CS_TABSTOP});
    c.push_back({IDC_PARAM_STATUS, K::Static, "", 17, 59, 369, 10, CS_NOPREFIX});
    c.push_back({IDC_STATIC, K::GroupBox, "Instructions for Obtaining Control Parameters: ", 7, 82, 389, 146, 0});
    c.push_back({IDC_PARAM_INSTRUCTIONS, K::Static, "Text in program.", 17, 95, 369, 128, CS_NOPREFIX});
    c.push_back({IDC_SETUP_PROMPT, K::Static, "Static", 7, 235, 389, 12, CS_CENTER | CS_NOPREFIX});
    c.push_back({IDC_START_UPDATE, K::PushButton, "Start Update", 124, 254, 70, 16, CS_TABSTOP | CS_GROUP});
    c.push_back({IDCANCEL, K::PushButton, "Cancel Update", 209, 254, 70, 16, CS_TABSTOP});
    return t;
}

} // namespace

const DialogTemplate& RoverModuleTemplate()
{
    static const DialogTemplate t = BuildRoverModuleDialog();
    return t;
}

const DialogTemplate& MainWindowTemplate()
{
    static const DialogTemplate t = BuildMainWindow();
    return t;
}

const DialogTemplate& AboutBoxTemplate()
{
    static const DialogTemplate t = BuildAboutBox();
    return t;
}

} // namespace tvqx
