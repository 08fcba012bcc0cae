#pragma once
// Other programs' top-level windows, for the port handover with the maker's
// serial test program: walk them in Z order, read titles, post messages.

#include <cstdint>
#include <string>
#include <vector>

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

// A pretend desktop (tests): windows in Z order, each recording what it is sent.
class FakeWindowDirectory final : public WindowDirectory {
public:
    struct Posted {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    struct Window {
        std::string title;
        bool visible = true;
        std::vector<Posted> received;
    };

    WindowHandle Add(const std::string& title, bool visible = true)
    {
        m_windows.push_back({title, visible, {}});
        return m_windows.size();
    }
    const Window& Get(WindowHandle h) const { return m_windows.at(h - 1); }

    WindowHandle GetTopWindow() override { return m_windows.empty() ? 0 : 1; }
    WindowHandle GetNextWindow(WindowHandle h) override { return h < m_windows.size() ? h + 1 : 0; }
    bool IsWindow(WindowHandle h) override { return h >= 1 && h <= m_windows.size(); }
    bool IsWindowVisible(WindowHandle h) override { return IsWindow(h) && m_windows[h - 1].visible; }
    std::string GetWindowText(WindowHandle h, int maxChars) override
    {
        return IsWindow(h) ? m_windows[h - 1].title.substr(0, static_cast<size_t>(maxChars)) : std::string();
    }
    bool PostMessage(WindowHandle h, uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        if (!IsWindow(h))
            return false;
        m_windows[h - 1].received.push_back({message, wParam, lParam});
        return true;
    }

private:
    std::vector<Window> m_windows;
};

} // namespace tvqx
