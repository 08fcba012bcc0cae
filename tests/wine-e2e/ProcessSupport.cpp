#include "tests/wine-e2e/ProcessSupport.h"

#include "platform/PathText.h"
#include "tests/common/ScratchDir.h"

namespace tvqx::winproc {

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments, const std::string& outputPath,
                           const std::string& currentDirectory)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE output = ::CreateFileW(Widen(outputPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring commandLine = Widen(program.empty() ? arguments : "\"" + program + "\" " + arguments);
    const std::wstring programW = Widen(program), directory = Widen(currentDirectory);
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(program.empty() ? nullptr : programW.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                         nullptr, directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_id = info.dwProcessId;
    }
    ::CloseHandle(output);
}

ChildProcess::~ChildProcess()
{
    if (!m_process)
        return;
    if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process, 99);
        ::WaitForSingleObject(m_process, 10000);
    }
    ::CloseHandle(m_process);
}

long long ChildProcess::WaitForExit(std::chrono::seconds limit)
{
    if (!m_process || ::WaitForSingleObject(m_process, static_cast<DWORD>(limit.count() * 1000)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process, &code);
    return code;
}

DeviceMapEntry::DeviceMapEntry(const std::string& deviceName, int com) : m_name(deviceName)
{
    ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE, nullptr, &m_map, nullptr);
    const std::string data = "COM" + std::to_string(com);
    ::RegSetValueExA(m_map, m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() + 1));
}

DeviceMapEntry::~DeviceMapEntry()
{
    ::RegDeleteValueA(m_map, m_name.c_str());
    ::RegCloseKey(m_map);
}

std::vector<uint8_t> SampleImage(const std::string& examplesDir)
{
    std::optional<File> hex = File::OpenRead(examplesDir + "TVQX-R_4_12.hex");
    if (!hex)
        return {};
    return BuildImageFromHexFile(*hex).value_or(std::vector<uint8_t>{});
}

std::string FlashMismatch(const std::string& flashPath, const std::vector<uint8_t>& image)
{
    // The device writes its whole 64 KiB flash once the port is closed.
    std::string flash;
    if (!WaitUntil(
            [&] {
                flash = test::ReadAll(flashPath);
                return flash.size() == 65536;
            },
            std::chrono::seconds(20)))
        return "no flash written out (" + std::to_string(flash.size()) + " bytes at " + flashPath + ")";
    if (image.empty() || image.size() > flash.size())
        return "no usable image of the sample firmware";
    if (flash.compare(0, image.size(), std::string(image.begin(), image.end())) != 0)
        return "the flash differs from the image";
    if (flash.find_first_not_of('\xFF', image.size()) != std::string::npos)
        return "the flash holds bytes beyond the image";
    return "";
}

} // namespace tvqx::winproc
