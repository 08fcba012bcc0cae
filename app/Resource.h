#pragma once
// Resource ids: dialogs, controls, icon, menu commands.

namespace tvqx {

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_TVQX_UPDATE_DIALOG = 102;
constexpr int IDD_ROVER_MODULE_ID_DLG = 134;
constexpr int IDR_MAINFRAME = 128;   // the application icon
constexpr unsigned IDM_ABOUTBOX = 16;

// Main window.
constexpr int IDC_BOOTLOADER_VERSION = 1007;
constexpr int IDC_BEGIN_UPDATE = 1006;
constexpr int IDC_FIRMWARE_FILE = 1008;
constexpr int IDC_FIRMWARE_VERSION = 1009;
constexpr int IDC_PROGRESS = 1010;
constexpr int IDC_RESULT = 1011;
constexpr int IDC_REFRESH_PORTS = 1012;
constexpr int IDC_CONTACT_INFO = 1016;
constexpr int IDC_PRODUCT_LINE = 1017;
constexpr int IDC_SUPPORT_GROUP = 1020;
constexpr int IDC_DETAILED_INSTRUCTIONS = 1022;
constexpr int IDC_INSTRUCTIONS = 1100;
constexpr int IDC_COM1 = 2001;
constexpr int IDC_COM3 = 2003;
constexpr int IDC_COM22 = 2022;
// Ours: under the port group, the ports above COM22 that cannot be chosen.
constexpr int IDC_PORT_NOTE = 1033;

// About box.
constexpr int IDC_ABOUT_COPYRIGHT = 1013;
constexpr int IDC_ABOUT_RELEASED = 1014;
constexpr int IDC_ABOUT_VERSION = 1015;
constexpr int IDC_ABOUT_CONTACT = 1016;
constexpr int IDC_ABOUT_NOTE = 1018;
constexpr int IDC_ABOUT_PRODUCT = 1019;
constexpr int IDC_ABOUT_LABELS = 1021;

// Rover module dialog.
constexpr int IDC_ROVER_MODULE_ID = 1023;
constexpr int IDC_PARAM_INSTRUCTIONS = 1024;
constexpr int IDC_NETWORK_SN = 1026;
constexpr int IDC_START_UPDATE = 1027;
constexpr int IDC_PAN_ID = 1028;
constexpr int IDC_RF_CHANNEL = 1029;
constexpr int IDC_SETUP_PROMPT = 1030;
constexpr int IDC_RF_CHANNEL_LABEL = 1031;
// What became of the last line the rover module sent (ours: the dialog must
// say why a line did not enable Start Update).
constexpr int IDC_PARAM_STATUS = 1032;

} // namespace tvqx
