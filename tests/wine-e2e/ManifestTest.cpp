// The manifest each shipped program is started with, read back from the
// program file's resources as Windows reads it. Wine starts the programs
// with it in the process tests; what it asks for shows only on Windows.

#include "tests/wine-e2e/ProcessSupport.h"

#include <gtest/gtest.h>

namespace tvqx::winproc {
namespace {

std::string ManifestOf(const std::string& program)
{
    const HMODULE file = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file)
        return {};
    std::string text;
    if (const HRSRC found = ::FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        const HGLOBAL loaded = ::LoadResource(file, found);
        if (const auto* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr)
            text.assign(bytes, ::SizeofResource(file, found));
    }
    ::FreeLibrary(file);
    return text;
}

TEST(ProgramManifest, EachProgramAsksForItsScalingTheCurrentControlsAndNoElevation)
{
    for (const char* program : {TVQX_WINDOW_EXE, TVQX_CLI_EXE}) {
        const std::string manifest = ManifestOf(WindowsPath(program));
        ASSERT_FALSE(manifest.empty()) << program << " has no manifest (RT_MANIFEST 1)";
        for (const char* wanted : {">PerMonitorV2", ">true/pm<", "\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                   "level=\"asInvoker\""})
            EXPECT_NE(manifest.find(wanted), std::string::npos) << program << " lacks " << wanted;
    }
}

} // namespace
} // namespace tvqx::winproc
