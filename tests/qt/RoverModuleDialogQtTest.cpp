// The rover module dialog in the Qt window: only what this backend adds to
// the dialog proven headless. The remote unit is the simulated one behind the
// simulated gateway, on virtual time.

#include "QtFixture.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/RoverModuleDlg.h"
#include "serial/CRS232.h"
#include "sim/VariantDevices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>
#include <string>

namespace tvqx {
namespace {

constexpr uint64_t kSetupAfterListenMs = 500;

class QtRoverDialogTest : public QtMainWindowTest {
protected:
    QtRoverDialogTest() { rover.m_pPort = &port; }
    ~QtRoverDialogTest() override
    {
        if (ui.WindowOf(rover))
            ui.Destroy(rover);
    }

    // The gateway on the port the dialog reads; the unit sends `setupLine`
    // instead of its parameter line when given.
    void Connect(std::optional<std::string> setupLine = {})
    {
        port.Close();
        ports.Detach(3);   // before the unit it leads to goes
        sim::VariantDeviceFaults faults;
        faults.radio.setupAfterListenMs = kSetupAfterListenMs;
        faults.radio.setupLine = std::move(setupLine);
        unit = sim::MakeDeviceForVariant(6, faults);
        ports.Attach(3, unit.Line());
        port.Open(3, 38400, 'N', 8, 1);
    }
    void Open(std::optional<std::string> setupLine = {})
    {
        Connect(std::move(setupLine));
        ui.Create(rover);
    }
    template <typename W = QWidget>
    W* Control(int id)
    {
        return qobject_cast<W*>(ui.WindowOf(rover)->Control(id));
    }
    void Tick() { rover.SendMessage(WM_TIMER, kRoverSetupTimerId); }
    // The technician presses Setup; the line is there by the next tick.
    void ReceiveParameters()
    {
        clock.Advance(kSetupAfterListenMs + 50);
        Tick();
    }

    sim::VariantDevice unit;
    CRS232 port{ports, clock};
    CRover_Module_ID_Dlg rover{ui, clock};
};

TEST_F(QtRoverDialogTest, FieldsAreReadOnlyEditsOnTheDialogsFaceShowingTheReceivedLine)
{
    Open();
    ReceiveParameters();
    for (int id : {IDC_ROVER_MODULE_ID, IDC_NETWORK_SN, IDC_PAN_ID, IDC_RF_CHANNEL}) {
        auto* edit = Control<QLineEdit>(id);
        ASSERT_NE(edit, nullptr) << id;
        EXPECT_TRUE(edit->isReadOnly() && edit->hasFrame()) << id;
        EXPECT_EQ(edit->focusPolicy(), Qt::StrongFocus) << id;
        EXPECT_EQ(edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Window)) << id;
    }
    // Typing changes nothing, on screen or in the dialog, and Enter does not
    // take the parameters even with Start Update enabled.
    auto* edit = Control<QLineEdit>(IDC_NETWORK_SN);
    const std::string shown = rover.GetDlgItemText(IDC_NETWORK_SN);
    ASSERT_FALSE(shown.empty());
    edit->setFocus();
    QTest::keyClicks(edit, "x9");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().toStdString(), shown);
    EXPECT_EQ(rover.GetDlgItemText(IDC_NETWORK_SN), shown);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(edit, key);
    EXPECT_FALSE(rover.HasEnded());
    QTest::mouseClick(Control(IDC_START_UPDATE), Qt::LeftButton);
    EXPECT_TRUE(rover.HasEnded() && rover.Result() == IDOK);
}

// Its look is the colour rule's (proven on the main window); what the stand-in
// font must do is fit: the prompt, and the longest refusals (a field of the
// wrong width, a run of bytes without a line end) on the status line.
TEST_F(QtRoverDialogTest, PromptAndTheLongestRefusalsFitTheirLines)
{
    Open();
    Tick();   // the first tick shows it
    auto* prompt = Control<QLabel>(IDC_SETUP_PROMPT);
    EXPECT_EQ(prompt->text().toStdString(), product::kRoverSetupPrompt);   // '&' shown as it is
    EXPECT_TRUE(prompt->alignment() & Qt::AlignHCenter);
    EXPECT_LE(prompt->fontMetrics().horizontalAdvance(prompt->text()), prompt->width());
    EXPECT_LE(prompt->fontMetrics().height(), prompt->height());
    ui.Destroy(rover);
    for (const std::string& line : {std::string("$ROVER,7,00A4B51,7C3E9D01,3332,0C*4A\r"), std::string(100, 'R')}) {
        SCOPED_TRACE(line);
        Open(line);
        ReceiveParameters();
        auto* status = Control<QLabel>(IDC_PARAM_STATUS);
        EXPECT_TRUE(status->text().endsWith(QStringLiteral("again."))) << status->text().toStdString();
        EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->width());
        ui.Destroy(rover);
    }
}

// The real nesting: the dialog modal over the main window, itself modal.
// Only the dialog's own timer shows the prompt and reads the unit's line,
// what is posted to the main window meanwhile is handled, and Escape ends
// each loop in turn.
TEST_F(QtRoverDialogTest, ModalOverTheModalMainWindowAndEachLoopEndsInTurn)
{
    Connect();
    dlg = std::make_unique<CTVQX_UpdateDlg>(services);
    dlg->m_programDir = dlg->m_tempDir = m_programDir;
    INT_PTR roverResult = 0;
    ui.onModalStart = [&](CDialog& d) {
        if (&d == dlg.get()) {
            roverResult = rover.DoModal();
            QTest::keyClick(&Window(), Qt::Key_Escape);
            return;
        }
        DialogWindow* window = ui.WindowOf(rover);
        EXPECT_TRUE(window->parentWidget() == &Window() && window->isModal());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Control<QLabel>(IDC_SETUP_PROMPT)->text().isEmpty(); }, 5000));
        inventory.Set(std::vector<PortEntry>{{"COM5", ""}});
        dlg->PostMessage(WM_COMMAND, IDC_REFRESH_PORTS);
        clock.Advance(kSetupAfterListenMs + 50);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return Control(IDC_START_UPDATE)->isEnabled() && Widget(IDC_COM1 + 4)->isEnabled(); }, 5000));
        QTest::keyClick(Control(IDC_NETWORK_SN), Qt::Key_Escape);
    };
    EXPECT_EQ(dlg->DoModal(), IDCANCEL);
    EXPECT_EQ(roverResult, IDCANCEL);
    EXPECT_EQ(ui.WindowOf(rover), nullptr);
}

} // namespace
} // namespace tvqx
