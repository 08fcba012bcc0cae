#pragma once
// The desktop's top-level windows through the Windows window manager.

#include "platform/WindowDirectory.h"

namespace tvqx {

class Win32WindowDirectory final : public WindowDirectory {
public:
    WindowHandle GetTopWindow() override;
    WindowHandle GetNextWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    std::string GetWindowText(WindowHandle window, int maxChars) override;
    bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

} // namespace tvqx
