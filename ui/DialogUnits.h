#pragma once
// Dialog units to pixels, for the backends that lay dialogs out themselves,
// by the dialog manager's rules: a dialog unit is a quarter of the dialog
// font's average character width across and an eighth of its height down.

#include "ui/DialogTemplate.h"

namespace tvqx {

// Windows' MulDiv: value * numerator / denominator, rounded half away from zero.
inline int MulDiv(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// A dialog's client area in pixels, from its font's base units (average
// character width, character height).
inline Size DialogClientSize(const DialogTemplate& dialogTemplate, int unitX, int unitY)
{
    return {MulDiv(dialogTemplate.cx, unitX, 4), MulDiv(dialogTemplate.cy, unitY, 8)};
}

// The outer size of a dialog window: its fixed frame and caption around the
// client area, as before any window manager has framed it.
inline Size FramedDialogSize(Size client)
{
    return {client.cx + 6, client.cy + 29};
}

} // namespace tvqx
