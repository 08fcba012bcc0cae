// tvqx-update-cli.exe as a user runs it: a process of its own, on a COM port
// that Wine maps to a pseudo-terminal served by tvqx-devsim (see
// tests/win32/run-over-pty.sh, which sets TVQX_TEST_COM and TVQX_TEST_FLASH).
// Wine's limits on a pseudo-terminal are the program's to live with here:
// its modem-line calls (GetCommModemStatus, EscapeCommFunction) fail with
// error 50, the port opens without being held exclusively, and the line has
// no timing of its own; the update must succeed all the same.

#include "platform/PathText.h"
#include "platform/Win32Profile.h"
#include "tests/common/ScratchDir.h"
#include "tests/wine-e2e/ProcessSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tvqx::winproc {
namespace {

using namespace std::chrono_literals;

// The settings of the window program, written out here rather than taken
// from the program, so that a console program keeping its own shows.
constexpr const char* kMaker = "Ostrale Systems";
constexpr const char* kWindowProgram = "tvqx-update";

class CliProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_com = PortOverPty();
        ASSERT_GT(m_com, 2) << "run these tests through tests/win32/run-over-pty.sh";
    }

    // Runs the program to its end; its output is in m_output.
    long long Run(const std::string& arguments)
    {
        const std::string outputPath = m_temp.Path("output.txt");
        ChildProcess cli(WindowsPath(TVQX_CLI_EXE), arguments, outputPath);
        EXPECT_TRUE(cli.Started()) << TVQX_CLI_EXE;
        const long long status = cli.WaitForExit(120s);
        m_output = test::ReadAll(outputPath);
        // Wine hands the console program's line ends over as they are.
        std::erase(m_output, '\r');
        return status;
    }

    int m_com = 0;
    test::ScratchDir m_temp{"tvqx-wine-cli"};
    std::string m_output;
};

using CliProcessBatch = CliProcess;

// The update on the port the window program saved: the console program
// reads the window's settings, so it takes that port over a lower one that
// it would preselect on its own. What an update run prints is the console's
// (tests/cli); the status it ends with is the process's exit status (here 0,
// and 130 after Ctrl-C in ctrl-c-under-wine.sh).
TEST_F(CliProcess, UpdatesTheDeviceOnThePortTheWindowSaved)
{
    const char* flashPath = std::getenv("TVQX_TEST_FLASH");
    ASSERT_NE(flashPath, nullptr);
    std::filesystem::remove(flashPath);

    DeviceMapEntry decoy("\\Device\\TvqxDecoy" + std::to_string(::GetCurrentProcessId()), m_com - 1);
    DeviceMapEntry device("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()), m_com);
    RegistryProfile settings(kMaker, kWindowProgram);
    ASSERT_TRUE(settings.WriteProfileInt("Settings", "ComPort", m_com));

    // The device map as the program lists it: a USB adapter numbered beyond
    // COM22 is out of range, and the line says how to renumber it.
    DeviceMapEntry beyond("\\Device\\TvqxFar" + std::to_string(::GetCurrentProcessId()), 25);
    ASSERT_EQ(Run("--list-ports"), 0) << m_output;
    EXPECT_NE(m_output.find("COM" + std::to_string(m_com) + "  \\\\.\\COM"), std::string::npos) << m_output;
    EXPECT_NE(m_output.find("COM25  \\\\.\\COM25 (out of range: only COM1 to COM22 can be used; renumber it in "
                            "Device Manager,"), std::string::npos) << m_output;

    ASSERT_EQ(Run(""), 0) << m_output;
    EXPECT_EQ(FlashMismatch(flashPath, SampleImage(TVQX_EXAMPLES_DIR)), "");
}

// As a user keeps it: the program and its firmware in a folder on PATH,
// typed at a prompt in another folder, with TMP and TEMP elsewhere again.
// cmd.exe passes "tvqx-update-cli --port COMn" as typed, so the program finds
// its firmware from its own file. The second case names every folder outside
// ASCII, as C:\Users\Zoë\ does; Hex.tmp lands in that temporary folder,
// and the wire trace where its path, typed in that language, says.
TEST_F(CliProcess, UpdatesThroughPathFromAnotherFolderInAnyLanguage)
{
    const char* flashPath = std::getenv("TVQX_TEST_FLASH");
    ASSERT_NE(flashPath, nullptr);
    DeviceMapEntry device("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()), m_com);
    const std::pair<const char*, const char*> cases[] = {   // the program's folder, the temporary one
        {"tools", "temp"},
        {"Zo\u00eb \u0396\u03ae\u03c4\u03b1 \u65e5\u672c", "\u30c6\u30f3\u30d7 Zo\u00eb"},
    };
    for (const auto& [programFolder, tempFolder] : cases) {
        SCOPED_TRACE(programFolder);
        const std::string root = WindowsPath(m_temp.Root());
        const std::string programDir = root + programFolder + "\\", tempDir = root + tempFolder + "\\";
        for (const std::string& dir : {programDir, tempDir, root + "elsewhere"})
            std::filesystem::create_directories(Widen(dir));
        const std::string examples = WindowsPath(TVQX_EXAMPLES_DIR);
        for (const std::string& file : {WindowsPath(TVQX_CLI_EXE), examples + "Tollvane-QX-R_with_Rd_Sw_Conn.txt",
                                        examples + "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(Widen(file), Widen(programDir + file.substr(file.rfind('\\') + 1)));
        std::filesystem::remove(flashPath);

        const std::string typed = "set \"PATH=" + programDir + ";%PATH%\" && set \"TMP=" + tempDir +
                                  "\" && set \"TEMP=" + tempDir + "\" && tvqx-update-cli --port COM" +
                                  std::to_string(m_com) + " --trace \"" + tempDir + "trace.txt\"";
        ChildProcess cli("", "cmd /c " + typed, m_temp.Path("output.txt"), root + "elsewhere");
        EXPECT_EQ(cli.WaitForExit(120s), 0) << test::ReadAll(m_temp.Path("output.txt"));
        EXPECT_EQ(FlashMismatch(flashPath, SampleImage(TVQX_EXAMPLES_DIR)), "");
        EXPECT_TRUE(std::filesystem::exists(Widen(tempDir + "Hex.tmp")));
        EXPECT_GT(std::filesystem::file_size(Widen(tempDir + "trace.txt")), 0u);
    }
}

// A batch of two units, each on a COM port Wine maps to a unit of one
// tvqx-devsim (run-over-pty.sh with TVQX_DEVSIM_UNITS=2): both get the
// image, and the saved port stays the window's.
TEST_F(CliProcessBatch, UpdatesTwoUnitsAtOnce)
{
    const char* flashDir = std::getenv("TVQX_TEST_FLASH");
    ASSERT_NE(flashDir, nullptr);
    const std::string first = "COM" + std::to_string(m_com), second = "COM" + std::to_string(m_com + 1);
    DeviceMapEntry one("\\Device\\TvqxPtyA" + std::to_string(::GetCurrentProcessId()), m_com);
    DeviceMapEntry two("\\Device\\TvqxPtyB" + std::to_string(::GetCurrentProcessId()), m_com + 1);
    RegistryProfile settings(kMaker, kWindowProgram);
    ASSERT_TRUE(settings.WriteProfileInt("Settings", "ComPort", 1));

    ASSERT_EQ(Run("--port " + first + " --port " + second), 0) << m_output;
    EXPECT_NE(m_output.find("\n2 of 2 units updated\n"), std::string::npos) << m_output;
    for (const std::string& port : {first, second})
        EXPECT_EQ(FlashMismatch(std::string(flashDir) + port + ".bin", SampleImage(TVQX_EXAMPLES_DIR)), "") << port;
    EXPECT_EQ(settings.GetProfileInt("Settings", "ComPort", 0), 1);
}

} // namespace
} // namespace tvqx::winproc
