#include "ui/qt/DialogMetrics.h"

#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <cstring>

namespace tvqx {

namespace {

// Dialogs are laid out on a 96-dpi pixel grid; Qt scales that grid on a
// denser screen by itself.
constexpr int kLayoutDpi = 96;

struct FaceMapping {
    const char* face;     // as the program names it
    const char* family;   // what stands for it here
};

// "MS Shell Dlg" 8 pt has base units of 6 x 13 pixels; the condensed DejaVu
// face at the same size has the same, so layouts keep their proportions.
constexpr std::array<FaceMapping, 3> kFaces{{
    {"MS Shell Dlg", "DejaVu Sans Condensed"},
    {"MS Shell Dlg 2", "DejaVu Sans Condensed"},
    {"Microsoft Sans Serif", "DejaVu Sans"},
}};

} // namespace

BaseUnits MeasureBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units)
{
    return QRect(MulDiv(x, units.cx, 4), MulDiv(y, units.cy, 8), MulDiv(cx, units.cx, 4), MulDiv(cy, units.cy, 8));
}

QString FontFamilyFor(const std::string& face)
{
    for (const auto& m : kFaces)
        if (face == m.face)
            return QString::fromLatin1(m.family);
    return QString::fromStdString(face);
}

QFont PointFont(const std::string& face, int tenthsOfPoint, int weight)
{
    QFont font(FontFamilyFor(face));
    font.setPixelSize(MulDiv(tenthsOfPoint, kLayoutDpi, 720));
    // Qt weights run from 100 to 900 as the program's do; 0 means normal.
    font.setWeight(static_cast<QFont::Weight>(weight <= 0 ? 400 : std::clamp(weight, 100, 900)));
    return font;
}

QFont DialogFont(const DialogTemplate& dialogTemplate)
{
    return PointFont(dialogTemplate.fontFace.empty() ? "MS Shell Dlg" : dialogTemplate.fontFace,
                     dialogTemplate.fontPoints * 10);
}

} // namespace tvqx
