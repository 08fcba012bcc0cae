// Dialog units to pixels: the stand-in dialog font must give the base units
// the layouts were drawn for, and every control lands where Windows would
// put it.

#include "QtFixture.h"

#include "app/DialogTemplates.h"
#include "ui/qt/DialogMetrics.h"

#include <QWidget>

namespace tvqx {
namespace {

TEST(DialogMetrics, MulDivRoundsHalfAwayFromZero)
{
    struct Case {
        int value, numerator, denominator, expected;
    };
    for (const Case& c : {Case{394, 6, 4, 591}, Case{1, 6, 4, 2}, Case{404, 13, 8, 657}, Case{14, 13, 8, 23},
                          Case{-1, 6, 4, -2}, Case{-3, 13, 8, -5}, Case{10, 13, 8, 16}, Case{0, 6, 4, 0}}) {
        EXPECT_EQ(MulDiv(c.value, c.numerator, c.denominator), c.expected)
            << c.value << " * " << c.numerator << " / " << c.denominator;
    }
}

TEST(DialogMetrics, DialogFontHasTheBaseUnitsOfTheOriginalDialogFont)
{
    const QFont font = DialogFont(MainWindowTemplate());
    EXPECT_EQ(MeasureBaseUnits(font), (BaseUnits{6, 13}));
    EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans Condensed"));
    EXPECT_EQ(font.pixelSize(), 11);   // 8 points at 96 dpi
    // The status font: 9 points bold of the sans-serif stand-in.
    const QFont status = PointFont("Microsoft Sans Serif", 90, 700);
    EXPECT_EQ(status.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(status.pixelSize(), 12);
    EXPECT_EQ(status.weight(), QFont::Bold);
}

TEST_F(QtMainWindowTest, ControlsSitAtTheirDialogUnitRectangles)
{
    Open();
    EXPECT_EQ(Window().size(), QSize(971, 691));   // 647 x 425 units
    struct Case {
        int id;
        QRect pixels;
    };
    for (const Case& c : {Case{IDCANCEL, {591, 657, 150, 23}}, Case{IDC_PRODUCT_LINE, {18, 10, 936, 20}},
                          Case{IDC_COM1, {36, 59, 54, 16}}, Case{IDC_COM1 + 11, {36, 85, 54, 16}},
                          Case{IDC_COM22, {876, 85, 54, 16}}, Case{IDC_RESULT, {30, 540, 912, 20}},
                          Case{IDC_CONTACT_INFO, {864, 606, 78, 23}}})
        EXPECT_EQ(Widget(c.id)->geometry(), c.pixels) << c.id;
    EXPECT_TRUE(Widget(IDC_DETAILED_INSTRUCTIONS)->isHidden());
}

TEST_F(QtMainWindowTest, TabVisitsTheTabStopsInTemplateOrder)
{
    Open();
    std::vector<QWidget*> expected;
    for (int id : {IDCANCEL, IDC_COM1, IDC_DETAILED_INSTRUCTIONS, IDC_CONTACT_INFO, IDC_REFRESH_PORTS,
                   IDC_BEGIN_UPDATE})
        expected.push_back(Widget(id));
    std::vector<QWidget*> chain;
    QWidget* w = expected.front();
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->window() == &Window())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != expected.front());
    EXPECT_EQ(chain, expected);
    // The window starts with the focus on the first tab stop, "Done".
    EXPECT_EQ(dlg->GetFocusId(), IDCANCEL);
}

} // namespace
} // namespace tvqx
