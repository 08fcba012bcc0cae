// The rover module dialog on the headless backend and virtual time, reading
// from a scripted remote unit behind a simulated COM port.

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/RoverModuleDlg.h"
#include "testsupport/SimulatedPortLayer.h"
#include "ui/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tvqx {
namespace {

constexpr const char* kPressAgain = "Press the Setup button again.";

// Sends what a test scheduled, each piece at its time; keeps what it got.
class ScriptedRemote final : public sim::SimDevice {
public:
    void Send(uint64_t atMs, const std::string& bytes) { m_script.insert({atMs, bytes}); }
    const std::string& Received() const { return m_received; }

    void SetPower(bool, bool, uint64_t) override {}
    void SetLineSpeed(uint32_t, uint64_t) override {}
    void Receive(const uint8_t* data, size_t count, uint64_t) override { m_received.append(data, data + count); }
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override
    {
        while (!m_script.empty() && m_script.begin()->first <= nowMs) {
            const std::string& bytes = m_script.begin()->second;
            out.insert(out.end(), bytes.begin(), bytes.end());
            m_script.erase(m_script.begin());
        }
    }

private:
    std::multimap<uint64_t, std::string> m_script;
    std::string m_received;
};

// "$" + body + "*" + its checksum.
std::string Line(const std::string& body)
{
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

const std::string kGoodLine = "$ROVER,7,00A4B512,7C3E9D01,3332,0C*4A";

class RoverModuleDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        layer.Attach(3, remote);
        ASSERT_EQ(port.Open(3, 38400, 'N', 8, 1), 1);
        dlg->m_pPort = &port;
        ui.onControlChanged = [this](CDialog& d, int index) {
            if (d.Template().controls[static_cast<size_t>(index)].id == IDC_SETUP_PROMPT)
                prompt.push_back({clock.Now(), d.GetDlgItemText(IDC_SETUP_PROMPT)});
        };
    }
    void TearDown() override
    {
        if (dlg->IsCreated())
            ui.Destroy(*dlg);
    }
    // Handles the dialog's timer ticks up to and including the one at `t`.
    void RunUntil(uint64_t t)
    {
        while (clock.Now() < t)
            ASSERT_TRUE(ui.PumpMessage());
    }
    void ExpectNoParameters()
    {
        EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
        for (int id : {IDC_ROVER_MODULE_ID, IDC_NETWORK_SN, IDC_PAN_ID, IDC_RF_CHANNEL})
            EXPECT_EQ(dlg->GetDlgItemText(id), "") << id;
    }
    std::string Status() const { return dlg->GetDlgItemText(IDC_PARAM_STATUS); }

    VirtualTickClock clock{0};
    HeadlessBackend ui{clock};
    SimulatedPortLayer layer{clock};
    ScriptedRemote remote;
    CRS232 port{layer, clock};
    std::unique_ptr<CRover_Module_ID_Dlg> dlg = std::make_unique<CRover_Module_ID_Dlg>(ui, clock);
    std::vector<std::pair<uint64_t, std::string>> prompt;   // time, text
};

TEST_F(RoverModuleDlgTest, OpensPlacedWithItsTextsAndAsksTheGatewayForTheLine)
{
    ui.SetScreenSize({1024, 768});
    ui.Create(*dlg);
    EXPECT_EQ(remote.Received(), "<RS");
    EXPECT_EQ(dlg->GetWindowText(), "Tollvane Rover Module Update");
    std::string instructions;
    for (const char* part : product::kRoverInstructions)
        instructions += part;
    EXPECT_EQ(dlg->GetDlgItemText(IDC_PARAM_INSTRUCTIONS), instructions);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDCANCEL));
    // Placed as every dialog is (DialogLayerTest's Placement).
    const Size window = ui.GetWindowSize(*dlg);
    const int x = (1024 - window.cx) / 2, y = (768 - window.cy) / 4;
    EXPECT_EQ(dlg->GetWindowRect(), (Rect{x, y, x + window.cx, y + window.cy}));
}

TEST_F(RoverModuleDlgTest, PromptIsShownAtTheFirstTickThenBlinks)
{
    const std::string p = product::kRoverSetupPrompt;
    // The tick counter's start makes no difference to the first tick.
    for (uint64_t start : {0ull, 0xFFFF'FF00ull}) {
        SCOPED_TRACE(start);
        clock.Advance(start - clock.Now());
        prompt.clear();
        auto blinking = std::make_unique<CRover_Module_ID_Dlg>(ui, clock);
        ui.Create(*blinking);
        while (clock.Now() < start + 4000)
            ASSERT_TRUE(ui.PumpMessage());
        // Shown from the first tick, hidden once more than 1500 ms have
        // passed, shown again once more than 250 ms have passed.
        using P = std::vector<std::pair<uint64_t, std::string>>;
        EXPECT_EQ(prompt, (P{{start + 100, p}, {start + 1700, ""}, {start + 2000, p}, {start + 3600, ""},
                             {start + 3900, p}}));
        ui.Destroy(*blinking);
    }
}

TEST_F(RoverModuleDlgTest, GoodLineFillsTheFieldsAndStartUpdateHandsOverTheValues)
{
    // Hex digits of either case, the checksum's too; the fields show them as
    // sent (the usual line: LinesAreReadAcrossTicks...).
    ui.Create(*dlg);
    remote.Send(250, "$ROVER,k,ffffffff,00000000,abcd,fe*1c\r");
    RunUntil(300);
    const std::pair<int, const char*> fields[] = {
        {IDC_ROVER_MODULE_ID, "k"}, {IDC_NETWORK_SN, "ffffffff 00000000"}, {IDC_PAN_ID, "abcd"},
        {IDC_RF_CHANNEL, "fe"}};
    for (const auto& [id, text] : fields)
        EXPECT_EQ(dlg->GetDlgItemText(id), text) << id;
    EXPECT_EQ(Status(), "Parameters received from Rover Module k.");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_SETUP_PROMPT), "");   // the line end empties the prompt
    ui.Click(*dlg, IDC_START_UPDATE);
    ASSERT_TRUE(dlg->HasEnded()) << "Start Update stayed disabled";
    EXPECT_EQ(dlg->Result(), IDOK);
    EXPECT_EQ(dlg->m_moduleId, 'k');
    EXPECT_EQ(dlg->m_serialHighValue, 0xFFFFFFFFu);
    EXPECT_EQ(dlg->m_serialLowValue, 0u);
    EXPECT_EQ(dlg->m_panIdValue, 0xABCD);
    EXPECT_EQ(dlg->m_rfChannelValue, 0xFE);
}

TEST_F(RoverModuleDlgTest, LinesThatDoNotParseSayWhyAndTakeBackStartUpdate)
{
    // One line for each thing the reading checks, in the order it checks them.
    struct Row { std::string line; const char* why; };
    const Row rows[] = {
        {Line("rover,7,00A4B512,7C3E9D01,3332,0C"), "not a Rover Module"},
        {Line("ROVER,-,00A4B512,7C3E9D01,3332,0C"), "letter or digit"},
        {Line("ROVER,77,00A4B512,7C3E9D01,3332,0C"), "letter or digit"},
        {Line("ROVER,7,000A4B512,7C3E9D01,3332,0C"), "(high half)"},
        {Line("ROVER,7,00A4B512,7C3E9G01,3332,0C"), "(low half)"},
        {Line("ROVER,7,00A4B512,7C3E9D01"), "(low half)"},
        {Line("ROVER,7,00A4B512,7C3E9D01, 3332,0C"), "PAN ID"},
        {Line("ROVER,7,00A4B512,7C3E9D01,3332,C"), "RF channel"},
        {kGoodLine + " ", "end with its checksum"},
        {"$ROVER,7,00A4B512,7C3E9D01,3332,0C*4B", "(checksum error)"},
    };
    // Each bad line after a good one disables Start Update again and empties
    // the fields; the next good line brings them back.
    ui.Create(*dlg);
    uint64_t t = 200;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        remote.Send(t, kGoodLine + "\r");
        RunUntil(t);
        ASSERT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
        remote.Send(t + 100, r.line + "\r");
        RunUntil(t + 100);
        ExpectNoParameters();
        EXPECT_NE(Status().find(r.why), std::string::npos) << Status();
        EXPECT_TRUE(Status().ends_with(kPressAgain)) << Status();
        t += 200;
    }
}

TEST_F(RoverModuleDlgTest, LinesAreReadAcrossTicksAndAHundredBytesWithoutALineEndAreDropped)
{
    ui.Create(*dlg);
    remote.Send(150, kGoodLine.substr(0, 20));
    remote.Send(350, kGoodLine.substr(20));
    RunUntil(400);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
    remote.Send(450, "\r");
    RunUntil(500);
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_NETWORK_SN), "00A4B512 7C3E9D01");

    // Lines ended by CR LF, and empty lines, change nothing.
    remote.Send(550, kGoodLine + "\r\n" + kGoodLine + "\r\n\r\r");
    RunUntil(600);
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_NETWORK_SN), "00A4B512 7C3E9D01");

    // Of two lines in one tick, the last decides.
    remote.Send(650, kGoodLine + "\rgarbage\r");
    RunUntil(700);
    ExpectNoParameters();

    // Arriving together after a good line: the 100 bytes fill the line; what
    // follows waits for the next tick and starts a line of its own.
    remote.Send(750, kGoodLine + "\r");
    RunUntil(800);
    ASSERT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
    remote.Send(850, std::string(100, 'A') + kGoodLine + "\r");
    RunUntil(900);
    ExpectNoParameters();
    EXPECT_TRUE(Status().ends_with(kPressAgain)) << Status();
    EXPECT_NE(Status().find("dropped"), std::string::npos) << Status();
    EXPECT_EQ(port.BytesWaiting(), kGoodLine.size() + 1);
    RunUntil(1000);
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
}

TEST_F(RoverModuleDlgTest, EnterDoesNothingAndCancelUpdateCancels)
{
    // Enter reaches the dialog as IDOK, before and after the parameters came.
    const auto enter = [&] {
        dlg->SendMessage(WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(dlg->HasEnded());
    };
    clock.At(50, enter);
    remote.Send(150, kGoodLine + "\r");
    clock.At(300, [&] {
        ASSERT_TRUE(dlg->IsDlgItemEnabled(IDC_START_UPDATE));
        enter();
        ui.PostClick(*dlg, IDCANCEL);
    });
    EXPECT_EQ(dlg->DoModal(), IDCANCEL);
    EXPECT_EQ(clock.Now(), 300u);
    EXPECT_FALSE(ui.PumpMessage());   // its timer went with it
}

} // namespace
} // namespace tvqx
