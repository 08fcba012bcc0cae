// Dialog units to pixels: the stand-in dialog font must give the base units
// the layouts were drawn for, and every control lands where Windows would
// put it (rounded half away from zero: 404 units down are 656.5 pixels, 657).

#include "QtFixture.h"

#include "app/DialogTemplates.h"
#include "ui/qt/DialogMetrics.h"

namespace tvqx {
namespace {

// The dialog font's stand-in shows in the window's size below; the status
// font's in what fits the status lines.
TEST(DialogMetrics, StatusFontIsNinePointsBoldOfTheSansSerifStandIn)
{
    const QFont status = PointFont("Microsoft Sans Serif", 90, 700);
    EXPECT_EQ(status.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(status.pixelSize(), 12);
    EXPECT_EQ(status.weight(), QFont::Bold);
}

TEST_F(QtMainWindowTest, ControlsSitAtTheirDialogUnitRectangles)
{
    Open();
    EXPECT_EQ(Window().size(), QSize(971, 691));   // 647 x 425 units of 6 x 13 pixels each
    EXPECT_EQ(MeasureBaseUnits(Window().font()), (BaseUnits{6, 13}));
    struct Case {
        int id;
        QRect pixels;
    };
    for (const Case& c : {Case{IDCANCEL, {591, 657, 150, 23}}, Case{IDC_PRODUCT_LINE, {18, 10, 936, 20}},
                          Case{IDC_COM1, {36, 59, 54, 16}}, Case{IDC_COM1 + 11, {36, 85, 54, 16}},
                          Case{IDC_COM22, {876, 85, 54, 16}}, Case{IDC_RESULT, {30, 540, 912, 20}}})
        EXPECT_EQ(Widget(c.id)->geometry(), c.pixels) << c.id;
}

} // namespace
} // namespace tvqx
