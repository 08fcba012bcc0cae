#pragma once
// Dialog units to pixels, and the fonts that stand in for the dialog fonts
// named in the templates, by the rules a Windows dialog follows: the dialog
// font's base units give the scale, and every coordinate and size is scaled
// on its own.

#include "ui/DialogUnits.h"

#include <QFont>
#include <QRect>
#include <QString>

namespace tvqx {

struct BaseUnits {
    int cx = 0;   // average character width
    int cy = 0;   // character height
    bool operator==(const BaseUnits&) const = default;
};

// The base units of a font: the average width of the 52 letters, rounded the
// way Windows does, and the font's height.
BaseUnits MeasureBaseUnits(const QFont& font);

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units);
inline QRect DialogUnitsToPixels(const ControlTemplate& c, BaseUnits units)
{
    return DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, units);
}

// The installed family that stands for a face the program names.
QString FontFamilyFor(const std::string& face);

// A font of `face` at `tenthsOfPoint` on the 96-dpi grid the dialog units are
// laid out for, so text and layout scale together.
QFont PointFont(const std::string& face, int tenthsOfPoint, int weight = 400);

// The dialog font of a template.
QFont DialogFont(const DialogTemplate& dialogTemplate);

} // namespace tvqx
