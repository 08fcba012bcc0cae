#pragma once
// Dialog layouts as data: what a resource script would say, read by every
// backend. Positions and sizes are in dialog units.

#include "ui/WinTypes.h"

#include <string>
#include <vector>

namespace tvqx {

enum class ControlKind {
    PushButton,
    DefPushButton,
    AutoRadioButton,
    GroupBox,
    Static,
    Icon,
    RichEdit,
    Edit,   // a one-line edit control; read-only with CS_READONLY
};

// Control styles (the subset the program's dialogs use).
enum ControlStyle : uint32_t {
    CS_TABSTOP = 1u << 0,    // WS_TABSTOP
    CS_GROUP = 1u << 1,      // WS_GROUP: starts a group (radio buttons)
    CS_HIDDEN = 1u << 2,     // not WS_VISIBLE
    CS_DISABLED = 1u << 3,   // WS_DISABLED
    CS_CENTER = 1u << 4,     // SS_CENTER
    CS_NOPREFIX = 1u << 5,   // SS_NOPREFIX: '&' is a plain character
    CS_MULTILINE = 1u << 6,  // BS_MULTILINE / ES_MULTILINE
    CS_READONLY = 1u << 7,   // ES_READONLY
    CS_VSCROLL = 1u << 8,    // WS_VSCROLL
    CS_BORDER = 1u << 9,     // WS_BORDER
    CS_NOWORDWRAP = 1u << 10, // SS_LEFTNOWORDWRAP: left-aligned, lines never wrapped
};

// Window styles of the dialog itself.
enum DialogStyle : uint32_t {
    DS_CAPTION = 1u << 0,
    DS_SYSMENU = 1u << 1,
    DS_MINIMIZEBOX = 1u << 2,
    DS_MODALFRAME = 1u << 3,
    DS_APPWINDOW = 1u << 4,   // taskbar button
    DS_SETFONT = 1u << 5,
};

struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Static;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;
    uint32_t style = 0;
};

struct DialogTemplate {
    int id = 0;
    int cx = 0, cy = 0;
    std::string caption;
    std::string fontFace;
    int fontPoints = 8;
    uint32_t style = 0;
    std::vector<ControlTemplate> controls;   // template order = tab order

    // A control's index in `controls`; -1 for none, and for IDC_STATIC, which
    // names no one control.
    int IndexOf(int controlId) const
    {
        if (controlId != IDC_STATIC)
            for (size_t i = 0; i < controls.size(); ++i)
                if (controls[i].id == controlId)
                    return static_cast<int>(i);
        return -1;
    }
    const ControlTemplate* Find(int controlId) const
    {
        const int i = IndexOf(controlId);
        return i < 0 ? nullptr : &controls[static_cast<size_t>(i)];
    }
};

} // namespace tvqx
