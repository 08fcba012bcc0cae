// The row and radio procedures where the system lets them down: a read that
// delivers nothing although a byte was counted, a modem status that cannot
// be read, a port held by the serial test program, the HEX file gone before
// its rows are read, an answer longer than the program's buffer.

#include "RadioLinkFixture.h"

#include "update/DeviceWaits.h"
#include "update/UpdateTexts.h"

#include <filesystem>
#include <memory>

namespace tvqx::testing {
namespace {

const std::string kFifteenBlanks(15, ' ');

class ProcedureBranches : public RadioLinkFixture {
protected:
    // Variant `v` with firmware of 48 bytes (three data rows) and the
    // window on COM3; the radio variants with the user who answers the
    // rover module dialog.
    void PrepareVariant(int v, sim::VariantDeviceFaults faults = {})
    {
        if (v == 3 || v == 6) {
            Prepare(v, {}, std::move(faults));
            return;
        }
        UseVariant(v, std::move(faults));
        WriteFirmwareHex(48);
        OpenOnDevicePort();
    }

    std::string RowFailure(const char* message) const
    {
        return texts::FromTheDevice(message) + texts::RowFailureText();
    }
};

// Each wait of the row transfer takes a read that delivers nothing for an
// answer other than the one it waits for, never for its byte nor for
// silence.
struct FailedRead {
    const char* name;
    uint8_t byte;           // the first read of this byte fails
    const char* message;    // what the box says the device did
};

void PrintTo(const FailedRead& c, std::ostream* os) { *os << c.name; }

class RowTransferFailedRead : public ProcedureBranches, public ::testing::WithParamInterface<FailedRead> {};

TEST_P(RowTransferFailedRead, EndsAsAnInvalidAnswer)
{
    const FailedRead& c = GetParam();
    PrepareVariant(1);
    ports.FailReadsOf(kDevicePort, c.byte);
    Press();
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, RowFailure(c.message));
    EXPECT_EQ(runs.ends.size(), 1u);
    EXPECT_FALSE(runs.Updated());
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Waits, RowTransferFailedRead,
                         ::testing::Values(FailedRead{"Version", 'T', texts::kInvalidVersionFrom},
                                           FailedRead{"Ready", '?', texts::kInvalidReadyFrom},
                                           FailedRead{"Xon", 0x11, texts::kInvalidXonFrom},
                                           FailedRead{"Xoff", 0x13, texts::kInvalidXoffFrom},
                                           FailedRead{"LineComplete", '~', texts::kInvalidLineCompleteFrom},
                                           FailedRead{"FileComplete", '@', texts::kInvalidFileCompleteFrom}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProcedureBranches, HexFileGoneBeforeItsRowsAreRead)
{
    PrepareVariant(1);
    // The version line shows between the file's check and its opening.
    ui.onControlChanged = [this](CDialog&, int) {
        if (!Status(IDC_BOOTLOADER_VERSION).empty())
            std::filesystem::remove(m_programDir + "firmware.hex");
    };
    Press();
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to open the hex file firmware.hex     " + texts::RowFailureText());
    EXPECT_TRUE(unit.rowLoader->RowsReceived().empty());
    EXPECT_FALSE(runs.Updated());
    EXPECT_TRUE(IsIdleWindow());
}

// A port the serial test program holds is asked for, with its pause, by
// every procedure that opens a port, and given back once it is closed.
class HeldPort : public ProcedureBranches, public ::testing::WithParamInterface<int> {};

TEST_P(HeldPort, IsBorrowedFromTheTestProgramAndGivenBack)
{
    PrepareVariant(GetParam());
    const WindowHandle testProgram = windows.Add("Ostrale Linewatch - COM3");
    std::unique_ptr<PortHandle> held = ports.CreateFile(kDevicePort);
    ASSERT_TRUE(held);
    clock.At(clickMs + 400, [&] { held.reset(); });
    Press();
    RunWindow();

    // The radio variants open the port once more to leave the gateway.
    const auto& received = windows.Get(testProgram).received;
    ASSERT_EQ(received.size(), GetParam() == 3 ? 4u : 2u);
    for (size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].message, WM_PORT_HANDOVER);
        EXPECT_EQ(received[i].wParam, i % 2 == 0 ? PORT_HANDOVER_RELEASE : PORT_HANDOVER_RETURN);
        EXPECT_EQ(received[i].lParam, kDevicePort);
    }
    ASSERT_FALSE(SentTimes().empty());
    EXPECT_GE(SentTimes().front(), 1000u);
    EXPECT_TRUE(runs.Updated());
}

INSTANTIATE_TEST_SUITE_P(Variants, HeldPort, ::testing::Values(1, 3, 4, 5),
                         [](const auto& info) { return "Variant" + std::to_string(info.param); });

// Variant 2 on a port whose modem status cannot be read: before "<V" the
// unit is taken to be in its boot loader already; while waiting for the
// handover a failed call is not DSR dropping.
TEST_F(ProcedureBranches, ModemStatusUnreadableBeforeTheQuestion)
{
    PrepareVariant(2, {.application = {.startsInBootLoader = true}});
    ports.FailModemStatus(kDevicePort);
    Press();
    RunWindow();

    EXPECT_EQ(Sent().rfind(kBootEntryCommand, 0), 0u);
    EXPECT_TRUE(unit.application->VersionRequestTimes().empty());
    EXPECT_TRUE(runs.Updated());
}

TEST_F(ProcedureBranches, ModemStatusLostDuringTheHandover)
{
    PrepareVariant(2, {.application = {.answerDelayMs = 100, .handOverDelayMs = 1500}});
    clock.At(clickMs + 1000, [&] { ports.FailModemStatus(kDevicePort); });
    Press();
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Invalid response from the Tollvane QX-R." + kFifteenBlanks);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), 100u + 2000u);
    EXPECT_FALSE(runs.Updated());
}

// The gateway's answer runs on past the program's buffer: it is never taken
// for the model, however it begins.
TEST_F(ProcedureBranches, GatewayAnswerLongerThanTheBuffer)
{
    sim::RadioOptions radio;
    radio.gatewayAnswer = "TVRG-400 V1.20 ENGINEERING SAMPLE, NOT FOR FIELD USE";
    Prepare(3, radio);
    Press();
    RunWindow();

    ExpectErrorBox("Cannot find a Tollvane RG-400 Radio Gateway." + kFifteenBlanks);
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_FALSE(runs.Updated());
}

} // namespace
} // namespace tvqx::testing
