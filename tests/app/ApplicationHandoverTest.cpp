// Variant 2: the unit's running application is asked who it is and told to
// hand over to its boot loader, which shows as DSR dropping; then the row
// transfer runs at the boot loader's speed, all within the one press.

#include "UpdateFixture.h"

#include "app/ProductInfo.h"

#include <memory>
#include <optional>
#include <set>
#include <sstream>

namespace tvqx::testing {
namespace {

const std::string kFifteenBlanks(15, ' ');

class ApplicationHandover : public UpdateFixture {
protected:
    void Prepare(sim::VariantDeviceFaults faults = {})
    {
        UseVariant(2, std::move(faults));
        WriteFirmwareHex(64);   // four data rows and the end record
        profile.WriteProfileInt("Settings", "ComPort", 1);
        OpenOnDevicePort();
        // Whatever the run does, the button keeps its caption and the
        // window never waits for a wake-up.
        ui.onControlChanged = [this](CDialog&, int) {
            captions.insert(Status(IDC_BEGIN_UPDATE));
            waited = waited || dlg->m_waitingForBootLoader != 0;
        };
    }

    std::string SentText() const
    {
        const std::vector<uint8_t> sent = SentBytes();
        return {sent.begin(), sent.end()};
    }

    void ExpectNeverWaited() const
    {
        EXPECT_EQ(captions, std::set<std::string>{"Begin Update"});
        EXPECT_FALSE(waited);
    }

    std::set<std::string> captions;
    bool waited = false;
};

TEST_F(ApplicationHandover, AsksTheApplicationToHandOverThenSendsTheRows)
{
    sim::VariantDeviceFaults faults;
    faults.application.answerDelayMs = 300;
    faults.application.handOverDelayMs = 50;
    Prepare(faults);
    uint32_t baudWhileAsking = 0;
    clock.At(clickMs + 100, [&] { baudWhileAsking = ports.LastDcb().BaudRate; });
    std::optional<uint64_t> handedOverAt;
    clock.At(clickMs + 400, [&] { handedOverAt = unit.application->HandOverTime(); });
    Press();
    RunWindow();

    // "<V" at once, "<W" as soon as the answer is complete, the boot loader's
    // speed once DSR drops, the entry command 100 ms later.
    std::string expected = "<V<W~#&TV-QX-R-205-7.31";
    for (const std::string& row : HexLines())
        expected += row;
    EXPECT_EQ(SentText(), expected);
    const std::vector<uint64_t> times = SentTimes();
    ASSERT_EQ(times.size(), expected.size());
    EXPECT_EQ(times[0], 0u);
    EXPECT_EQ(times[2], 300u);
    EXPECT_EQ(times[4], 450u);
    EXPECT_EQ(baudWhileAsking, 9600u);
    EXPECT_EQ(ports.LastDcb().BaudRate, 115200u);
    EXPECT_EQ(unit.application->HandOverRequestTimes(), std::vector<uint64_t>{clickMs + 300});
    ASSERT_TRUE(handedOverAt);
    EXPECT_EQ(*handedOverAt - clickMs, 350u);

    ExpectUpdateSucceeded("Sending hex file row  5  of  5");
    EXPECT_EQ(unit.rowLoader->RowsReceived(), HexLines());
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + 64), firmware);
    EXPECT_TRUE(IsIdleWindow());
    ExpectNeverWaited();
}

TEST_F(ApplicationHandover, AUnitAlreadyInItsBootLoaderIsNotAsked)
{
    sim::VariantDeviceFaults faults;
    faults.application.startsInBootLoader = true;
    Prepare(faults);
    Press();
    RunWindow();

    EXPECT_EQ(SentText().rfind("~#&TV-QX-R-205-7.31:", 0), 0u);
    EXPECT_EQ(SentTimes().front(), 100u);
    EXPECT_TRUE(unit.application->VersionRequestTimes().empty());
    EXPECT_EQ(ports.LastDcb().BaudRate, 115200u);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(unit.rowLoader->RowsReceived(), HexLines());
    ExpectNeverWaited();
}

// ---------------------------------------------------------------------------
// A port the serial test program holds on to is asked for once (the program
// that lets go: ProcedureBranchesTest's HeldPort), then named in the result
// and the box, and the port is given back to it.

TEST_F(ApplicationHandover, APortTheTestProgramKeepsIsNamedInTheResultAndTheBox)
{
    Prepare();
    const WindowHandle testProgram = windows.Add("Ostrale Linewatch - COM3");
    std::unique_ptr<PortHandle> held = ports.CreateFile(kDevicePort);
    ASSERT_TRUE(held);
    Press();
    RunWindow();

    const auto& received = windows.Get(testProgram).received;
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].wParam, PORT_HANDOVER_RELEASE);
    EXPECT_EQ(received[1].wParam, PORT_HANDOVER_RETURN);
    EXPECT_EQ(received[1].lParam, kDevicePort);
    ExpectErrorBox("Unable to open serial port COM3" + kFifteenBlanks);
    EXPECT_EQ(Status(IDC_RESULT), "Unable to open serial port COM3" + kFifteenBlanks);
    EXPECT_EQ(BoxAtMs(), 1000u);
    EXPECT_TRUE(dlg->IsAtRest() && dlg->IsDlgItemEnabled(IDC_COM1));   // the test program still holds COM3
}

} // namespace
} // namespace tvqx::testing
