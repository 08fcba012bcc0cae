#include "platform/Win32ShellOpen.h"
#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <objbase.h>
#include <shellapi.h>

namespace tvqx {

Win32ShellOpen::~Win32ShellOpen()
{
    if (m_comInitialised)
        ::CoUninitialize();
}

bool Win32ShellOpen::Open(const std::string& target)
{
    // The shell may hand the target to a handler made of COM objects (many
    // mail programs and browsers are), so COM must be initialised on the
    // calling thread first, in a single-threaded apartment as a thread with
    // windows has it. It stays so for the window's life, for handlers that
    // finish their work after the call returned; a thread whose COM is set
    // up otherwise already keeps its own.
    if (!m_comTried) {
        m_comTried = true;
        m_comInitialised = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell's old convention: values above 32 mean a program was started.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tvqx
