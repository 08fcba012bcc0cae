#pragma once
// A dialog layout turned into the in-memory template the Windows dialog
// manager builds a window from (the extended form, with the dialog font).

#include "ui/DialogTemplate.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx {

// The window class a control of this kind is made of.
const char* ControlClassName(ControlKind kind);

// Window styles (WS_, BS_, SS_, ES_ bits) and extended styles (WS_EX_) of a
// control, and of the dialog.
uint32_t ControlWindowStyle(const ControlTemplate& control);
uint32_t ControlExtendedStyle(const ControlTemplate& control);
uint32_t DialogWindowStyle(const DialogTemplate& dialogTemplate);
uint32_t DialogExtendedStyle(const DialogTemplate& dialogTemplate);

// The text a control is given for `text`: push buttons, radio buttons and
// group boxes have no style that shows '&' as it is, so a control that asks
// for that gets each one doubled; static text has SS_NOPREFIX for it.
std::string ControlWindowText(const ControlTemplate& control, const std::string& text);

// The text a control is made with: its template text, except that a rich
// edit control and an icon start empty (the rich edit control gets its text
// once link detection is on; an icon control's text would name a resource).
std::string InitialWindowText(const ControlTemplate& control);

// The template, ready for CreateDialogIndirectParam: the window is created
// hidden; texts and states come from the dialog once it is initialised.
// The buffer is 4-byte aligned at its start, as the dialog manager needs.
std::vector<uint32_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate);

} // namespace tvqx
