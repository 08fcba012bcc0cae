#pragma once
// The window-system vocabulary the program speaks: message numbers, command
// ids, message-box types and menu flags, with the values the program's
// protocols and tests rely on. Backends translate them to their toolkit.

#include <cstdint>
#include <string>

namespace tvqx {

using UINT = uint32_t;
using BOOL = int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDC_STATIC = -1;

// Notification codes a control sends its dialog: in the high word of a
// WM_COMMAND's wParam, or in the NMHDR of a WM_NOTIFY.
constexpr UINT BN_CLICKED = 0x0000;
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_LINK = 0x070B;

constexpr UINT MB_OK = 0x00;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_RESTORE = 0xF120;

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr uint16_t LOWORD(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
inline constexpr uint16_t HIWORD(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
inline constexpr WPARAM MAKEWPARAM(uint16_t lo, uint16_t hi) { return WPARAM(lo) | (WPARAM(hi) << 16); }

using COLORREF = uint32_t;
inline constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) { return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16); }

struct Point { int x = 0; int y = 0; };
struct Size { int cx = 0; int cy = 0; };
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The header of every WM_NOTIFY record; lParam points at it.
struct NMHDR {
    uintptr_t hwndFrom = 0;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// A range of characters in a text control: cpMin up to, not including, cpMax.
struct CHARRANGE {
    long cpMin = 0;
    long cpMax = 0;
    bool operator==(const CHARRANGE&) const = default;
};

// EN_LINK: the mouse did something (msg) over a link of a rich text control.
struct ENLINK {
    NMHDR nmhdr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CHARRANGE chrg;
};

// A font as the program asks for it; backends find the nearest they have.
struct FontSpec {
    std::string face;
    int heightTenthsPt = 0;   // 90 = 9 points
    int weight = 400;         // 700 = bold
    bool operator==(const FontSpec&) const = default;
};

// How a control is drawn. The dialog decides it (its colour rule) and every
// backend applies it; the default look is the toolkit's own.
struct ControlLook {
    bool custom = false;        // false: the backend's default look
    FontSpec font;
    COLORREF textColor = 0;
    bool transparentBackground = false;
    bool operator==(const ControlLook&) const = default;
};

} // namespace tvqx
