#pragma once
// Other programs' top-level windows, for the port handover with the maker's
// serial test program: walk them in Z order, read titles, post messages.

#include <cstdint>
#include <string>

namespace tvqx {

using WindowHandle = uintptr_t;   // 0 is no window

class WindowDirectory {
public:
    virtual ~WindowDirectory() = default;
    virtual WindowHandle GetTopWindow() = 0;                   // first in Z order, 0 when none
    virtual WindowHandle GetNextWindow(WindowHandle window) = 0;  // 0 after the last
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    // At most maxChars characters of the title.
    virtual std::string GetWindowText(WindowHandle window, int maxChars) = 0;
    virtual bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

// A desktop on which no other program's window can be reached.
class EmptyWindowDirectory final : public WindowDirectory {
public:
    WindowHandle GetTopWindow() override { return 0; }
    WindowHandle GetNextWindow(WindowHandle) override { return 0; }
    bool IsWindow(WindowHandle) override { return false; }
    bool IsWindowVisible(WindowHandle) override { return false; }
    std::string GetWindowText(WindowHandle, int) override { return {}; }
    bool PostMessage(WindowHandle, uint32_t, uintptr_t, intptr_t) override { return false; }
};

} // namespace tvqx
