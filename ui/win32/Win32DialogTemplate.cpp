#include "ui/win32/Win32DialogTemplate.h"

#include "platform/PathText.h"

#include "ui/win32/Win32Api.h"

#include <cstring>

namespace tvqx {

namespace {

// Appends the pieces of a template: 16- and 32-bit numbers and UTF-16
// strings, with the 4-byte alignment every control entry starts on.
class TemplateWriter {
public:
    void Word(uint16_t v) { Bytes(&v, sizeof v); }
    void Dword(uint32_t v) { Bytes(&v, sizeof v); }
    void Short(int v) { Word(static_cast<uint16_t>(static_cast<int16_t>(v))); }
    void Byte(uint8_t v) { Bytes(&v, 1); }
    // The program keeps its texts in UTF-8.
    void String(const std::string& text)
    {
        for (wchar_t c : Widen(text))
            Word(static_cast<uint16_t>(c));
        Word(0);
    }
    void AlignToDword()
    {
        while (m_bytes.size() % 4 != 0)
            m_bytes.push_back(0);
    }
    std::vector<uint32_t> Take()
    {
        AlignToDword();
        std::vector<uint32_t> out(m_bytes.size() / 4);
        std::memcpy(out.data(), m_bytes.data(), m_bytes.size());
        return out;
    }

private:
    void Bytes(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    std::vector<uint8_t> m_bytes;
};

bool Has(uint32_t style, uint32_t bit)
{
    return (style & bit) != 0;
}

} // namespace

const char* ControlClassName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::AutoRadioButton:
    case ControlKind::GroupBox:
        return "Button";
    case ControlKind::Static:
    case ControlKind::Icon:
        return "Static";
    case ControlKind::RichEdit:
        return "RichEdit20A";   // rich edit 2.0, single-byte text
    case ControlKind::Edit:
        return "Edit";
    }
    return "Static";
}

uint32_t ControlWindowStyle(const ControlTemplate& c)
{
    const uint32_t s = c.style;
    uint32_t style = WS_CHILD;
    if (!Has(s, CS_HIDDEN))
        style |= WS_VISIBLE;
    if (Has(s, CS_DISABLED))
        style |= WS_DISABLED;
    if (Has(s, CS_TABSTOP))
        style |= WS_TABSTOP;
    if (Has(s, CS_GROUP))
        style |= WS_GROUP;
    // An edit's border is the sunken client edge (ControlExtendedStyle), as
    // the dialog manager makes of a bordered edit in a dialog of our times.
    if (Has(s, CS_BORDER) && c.kind != ControlKind::Edit)
        style |= WS_BORDER;
    if (Has(s, CS_VSCROLL))
        style |= WS_VSCROLL;
    switch (c.kind) {
    case ControlKind::PushButton:
        style |= BS_PUSHBUTTON | (Has(s, CS_MULTILINE) ? BS_MULTILINE : 0);
        break;
    case ControlKind::DefPushButton:
        style |= BS_DEFPUSHBUTTON | (Has(s, CS_MULTILINE) ? BS_MULTILINE : 0);
        break;
    case ControlKind::AutoRadioButton:
        style |= BS_AUTORADIOBUTTON;
        break;
    case ControlKind::GroupBox:
        style |= BS_GROUPBOX;
        break;
    case ControlKind::Static:
        style |= (Has(s, CS_CENTER)       ? SS_CENTER
                  : Has(s, CS_NOWORDWRAP) ? SS_LEFTNOWORDWRAP
                                          : SS_LEFT) |
                 (Has(s, CS_NOPREFIX) ? SS_NOPREFIX : 0);
        break;
    case ControlKind::Icon:
        style |= SS_ICON;
        break;
    case ControlKind::RichEdit:
        style |= ES_LEFT | (Has(s, CS_MULTILINE) ? ES_MULTILINE : 0) | (Has(s, CS_READONLY) ? ES_READONLY : 0);
        break;
    case ControlKind::Edit:
        // One line whose text scrolls sideways when it is longer than the box.
        style |= ES_LEFT | ES_AUTOHSCROLL | (Has(s, CS_READONLY) ? ES_READONLY : 0);
        break;
    }
    return style;
}

uint32_t ControlExtendedStyle(const ControlTemplate& c)
{
    return c.kind == ControlKind::Edit && Has(c.style, CS_BORDER) ? WS_EX_CLIENTEDGE : 0;
}

uint32_t DialogWindowStyle(const DialogTemplate& t)
{
    uint32_t style = WS_POPUP | DS_SETFONT;
    if (Has(t.style, DS_CAPTION))
        style |= WS_CAPTION;
    if (Has(t.style, DS_SYSMENU))
        style |= WS_SYSMENU;
    if (Has(t.style, DS_MINIMIZEBOX))
        style |= WS_MINIMIZEBOX;
    if (Has(t.style, kTemplateModalFrame))
        style |= DS_MODALFRAME;
    return style;
}

uint32_t DialogExtendedStyle(const DialogTemplate& t)
{
    return Has(t.style, DS_APPWINDOW) ? WS_EX_APPWINDOW : 0;
}

std::string ControlWindowText(const ControlTemplate& c, const std::string& text)
{
    const bool button = c.kind == ControlKind::PushButton || c.kind == ControlKind::DefPushButton ||
                        c.kind == ControlKind::AutoRadioButton || c.kind == ControlKind::GroupBox;
    if (!button || !Has(c.style, CS_NOPREFIX))
        return text;
    std::string shown;
    for (char ch : text) {
        shown += ch;
        if (ch == '&')
            shown += '&';
    }
    return shown;
}

std::string InitialWindowText(const ControlTemplate& c)
{
    if (c.kind == ControlKind::RichEdit || c.kind == ControlKind::Icon)
        return {};
    return ControlWindowText(c, c.text);
}

std::vector<uint32_t> BuildDialogTemplate(const DialogTemplate& t)
{
    TemplateWriter w;
    w.Word(1);        // extended template, version 1
    w.Word(0xFFFF);
    w.Dword(0);       // help id
    w.Dword(DialogExtendedStyle(t));
    w.Dword(DialogWindowStyle(t));
    w.Word(static_cast<uint16_t>(t.controls.size()));
    w.Short(0);       // the dialog places itself once it is initialised
    w.Short(0);
    w.Short(t.cx);
    w.Short(t.cy);
    w.Word(0);        // no menu
    w.Word(0);        // the dialog class
    w.String(t.caption);
    w.Word(static_cast<uint16_t>(t.fontPoints));
    w.Word(FW_NORMAL);
    w.Byte(0);        // not italic
    w.Byte(DEFAULT_CHARSET);
    w.String(t.fontFace.empty() ? std::string("MS Shell Dlg") : t.fontFace);

    for (const ControlTemplate& c : t.controls) {
        w.AlignToDword();
        w.Dword(0);   // help id
        w.Dword(ControlExtendedStyle(c));
        w.Dword(ControlWindowStyle(c));
        w.Short(c.x);
        w.Short(c.y);
        w.Short(c.cx);
        w.Short(c.cy);
        w.Dword(static_cast<uint32_t>(c.id));
        w.String(ControlClassName(c.kind));
        w.String(InitialWindowText(c));
        w.Word(0);    // no creation data
    }
    return w.Take();
}

} // namespace tvqx
