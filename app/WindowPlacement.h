#pragma once

#include "ui/Dialog.h"

namespace tvqx {

// Centred across the screen, with a quarter of the free height above the
// window and three quarters below; the size stays.
inline void PlaceInUpperQuarter(CDialog& dialog)
{
    const Rect r = dialog.GetWindowRect();
    const Size screen = dialog.Ui().GetScreenSize();
    dialog.MoveWindow((screen.cx - r.Width()) / 2, (screen.cy - r.Height()) / 4, r.Width(), r.Height(), true);
}

} // namespace tvqx
