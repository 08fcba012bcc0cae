// What the Linux window adds about ports: the adapter behind each COM
// button, and under a refused port's message what to do about access.

#include "QtFixture.h"

#include "app/Resource.h"
#include "gui/PortAccessNote.h"
#include "gui/PortToolTips.h"
#include "update/UpdateTexts.h"

#include <QAbstractButton>
#include <QHelpEvent>
#include <QTest>

namespace tvqx {
namespace {

TEST_F(QtMainWindowTest, PortButtonsDescribeTheirDevicesAsToolTips)
{
    ui.SetToolTipProvider(PortToolTips([this](int port) {
        const std::string device = inventory.DevicePath(port);
        return device.empty() ? device : device + " (USB serial adapter: Example Corp USB Serial)";
    }));
    Open();
    auto tipOf = [&](int id) {
        QWidget* w = Widget(id);
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(w, &help);
        return w->toolTip().toStdString();
    };
    EXPECT_EQ(tipOf(IDC_COM3), "/dev/ttyUSB0 (USB serial adapter: Example Corp USB Serial)");
    EXPECT_EQ(tipOf(IDC_COM1 + 1), "");
    EXPECT_EQ(tipOf(IDC_BEGIN_UPDATE), "");
    inventory.Set(std::vector<PortEntry>{{"COM3", "/dev/ttyACM0"}});
    EXPECT_EQ(tipOf(IDC_COM3), "/dev/ttyACM0 (USB serial adapter: Example Corp USB Serial)");   // asked afresh
}

// A refused port: the procedure's message stays whole and first.
TEST_F(QtMainWindowTest, RefusedPortMessageSaysWhichGroupToJoin)
{
    std::vector<std::string> checked;
    PortAccessNotes notes(inventory, [&](const std::string& device) {
        checked.push_back(device);
        return std::optional<PortAccessProblem>(PortAccessProblem{"/dev/ttyUSB0", "dialout"});
    });
    ui.SetMessageNote([&notes](const std::string&) { return notes.TakeNote(); });
    services.observer = &notes;
    Open();
    QTest::mouseClick(Widget(IDC_COM3), Qt::LeftButton);
    QTest::mouseClick(Widget(IDC_BEGIN_UPDATE), Qt::LeftButton);   // nothing attached: the open fails
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], texts::FormatText(texts::kCannotOpenPort, 3) +
                            "\n\nYou may not use /dev/ttyUSB0: it is open to the members of the group \"dialout\". "
                            "Join it (sudo usermod -aG dialout $USER), then log out and back in.");
    EXPECT_EQ(checked, std::vector<std::string>{"/dev/ttyUSB0"});
}

} // namespace
} // namespace tvqx
