#include "platform/Win32ShellOpen.h"
#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <shellapi.h>

namespace tvqx {

bool Win32ShellOpen::Open(const std::string& target)
{
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell's old convention: values above 32 mean a program was started.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tvqx
