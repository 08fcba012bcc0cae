// The waiting variants in the real window: the button turns into "Cancel
// Update", the result line shows the prompt in dark red, the window's own
// 500 ms timer polls the device and the transfer runs from its message.

#include "QtFixture.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "sim/VariantDevices.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <fstream>
#include <string>

namespace tvqx {
namespace {

class QtWaitingVariant : public QtMainWindowTest {
protected:
    CTVQX_UpdateDlg& OpenForVariant(int variant, sim::VariantDeviceFaults faults = {})
    {
        services.updateVariant = variant;
        unit = sim::MakeDeviceForVariant(variant, std::move(faults));
        ports.Attach(3, unit.Line());
        CTVQX_UpdateDlg& d = Open();
        d.m_tempDir = m_scratch.MakeDir("temp/");
        QTest::mouseClick(Button(IDC_COM3), Qt::LeftButton);
        return d;
    }
    QAbstractButton* Button(int id) { return Widget<QAbstractButton>(id); }
    size_t HexLines() const
    {
        std::ifstream in(m_programDir + "TVQX-R_4_12.hex");
        size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }

    sim::VariantDevice unit;
};

TEST_F(QtWaitingVariant, RowUpdateWaitsForTheBootLoaderThenSendsEveryRow)
{
    CTVQX_UpdateDlg& d = OpenForVariant(1);
    QTest::mouseClick(Button(IDC_BEGIN_UPDATE), Qt::LeftButton);

    EXPECT_EQ(Button(IDC_BEGIN_UPDATE)->text(), "Cancel Update");
    EXPECT_TRUE(Button(IDC_BEGIN_UPDATE)->isEnabled());
    EXPECT_FALSE(Button(IDCANCEL)->isEnabled());
    EXPECT_FALSE(Button(IDC_REFRESH_PORTS)->isEnabled());
    auto* result = Widget<QLabel>(IDC_RESULT);
    EXPECT_EQ(result->text().toStdString(), product::kWakePrompt);
    EXPECT_EQ(result->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    EXPECT_FALSE(d.GetSystemMenu()->IsEnabled(IDM_ABOUTBOX));

    // The first poll wakes the device, the next tick finds its answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 5000));
    EXPECT_EQ(boxes[0], "The Tollvane QX-R firmware has been successfully updated.     ");
    EXPECT_EQ(unit.rowLoader->RowsReceived().size(), HexLines());
    EXPECT_TRUE(unit.UpdateComplete());
    EXPECT_EQ(Button(IDC_BEGIN_UPDATE)->text(), "Begin Update");
    EXPECT_TRUE(Button(IDC_BEGIN_UPDATE)->isEnabled());
    EXPECT_TRUE(Button(IDCANCEL)->isEnabled());
    EXPECT_TRUE(d.GetSystemMenu()->IsEnabled(IDM_ABOUTBOX));
    EXPECT_FALSE(ports.IsOpen(3));
}

TEST_F(QtWaitingVariant, CancelUpdateEndsThePageVariantsWaitWithoutAMessage)
{
    sim::VariantDeviceFaults faults;
    faults.wakeUp.neverWakes = true;
    CTVQX_UpdateDlg& d = OpenForVariant(4, faults);
    QTest::mouseClick(Button(IDC_BEGIN_UPDATE), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unit.wakeUp->PollTimes().size() >= 2; }, 5000));
    EXPECT_TRUE(std::filesystem::exists(d.m_tempDir + "Hex.tmp"));

    QTest::mouseClick(Button(IDC_BEGIN_UPDATE), Qt::LeftButton);   // "Cancel Update"
    EXPECT_EQ(Button(IDC_BEGIN_UPDATE)->text(), "Begin Update");
    EXPECT_FALSE(ports.IsOpen(3));
    EXPECT_FALSE(std::filesystem::exists(d.m_tempDir + "Hex.tmp"));
    EXPECT_EQ(Widget<QLabel>(IDC_RESULT)->text(), "");
    EXPECT_NE(Widget<QLabel>(IDC_RESULT)->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    EXPECT_TRUE(Button(IDCANCEL)->isEnabled());
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace tvqx
