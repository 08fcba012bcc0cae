// A waiting variant in the real window, on Qt's own event loop: the window's
// 500 ms timer polls the device and the transfer runs from its message. What
// the wait locks, shows and cancels is the procedure's, proven on virtual
// time (tests/app).

#include "QtFixture.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "sim/VariantDevices.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

namespace tvqx {
namespace {

TEST_F(QtMainWindowTest, RowUpdateWaitsForTheBootLoaderOnTheWindowsTimerThenSendsEveryRow)
{
    services.updateVariant = 1;
    sim::VariantDevice unit = sim::MakeDeviceForVariant(1, {});
    ports.Attach(3, unit.Line());
    Open();
    QTest::mouseClick(Widget(IDC_COM3), Qt::LeftButton);
    QTest::mouseClick(Widget(IDC_BEGIN_UPDATE), Qt::LeftButton);
    EXPECT_EQ(Widget<QAbstractButton>(IDC_BEGIN_UPDATE)->text(), "Cancel Update");

    // The first poll wakes the device, the next tick finds its answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 5000));
    EXPECT_EQ(boxes, std::vector<std::string>{"The Tollvane QX-R firmware has been successfully updated.     "});
    EXPECT_TRUE(unit.UpdateComplete());
    EXPECT_TRUE(dlg->IsAtRest());
}

} // namespace
} // namespace tvqx
