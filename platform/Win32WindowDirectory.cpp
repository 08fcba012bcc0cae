#include "platform/Win32WindowDirectory.h"

#include "platform/Win32Api.h"

#include <vector>

namespace tvqx {

namespace {

HWND Hwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

WindowHandle Handle(HWND hwnd)
{
    return reinterpret_cast<WindowHandle>(hwnd);
}

} // namespace

WindowHandle Win32WindowDirectory::GetTopWindow()
{
    return Handle(::GetTopWindow(nullptr));
}

WindowHandle Win32WindowDirectory::GetNextWindow(WindowHandle window)
{
    return Handle(::GetWindow(Hwnd(window), GW_HWNDNEXT));
}

bool Win32WindowDirectory::IsWindow(WindowHandle window)
{
    return ::IsWindow(Hwnd(window)) != 0;
}

bool Win32WindowDirectory::IsWindowVisible(WindowHandle window)
{
    return ::IsWindowVisible(Hwnd(window)) != 0;
}

std::string Win32WindowDirectory::GetWindowText(WindowHandle window, int maxChars)
{
    if (maxChars <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(maxChars) + 1, '\0');
    const int length = ::GetWindowTextA(Hwnd(window), buffer.data(), maxChars + 1);
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

bool Win32WindowDirectory::PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return ::PostMessageA(Hwnd(window), message, wParam, lParam) != 0;
}

} // namespace tvqx
