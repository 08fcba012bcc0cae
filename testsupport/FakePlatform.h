#pragma once
// Pretend platform services for tests, tools and the simulated update: a
// fixed port list, settings in memory, a desktop of made-up windows and a
// shell that only records. None of them belongs in a shipped program.

#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/WindowDirectory.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tvqx {

// A fixed list of ports.
class FixedPortInventory final : public PortInventory {
public:
    explicit FixedPortInventory(std::optional<std::vector<PortEntry>> entries = std::vector<PortEntry>{})
        : m_entries(std::move(entries)) {}
    std::optional<std::vector<PortEntry>> ListSerialDevices() override { return m_entries; }
    void Set(std::optional<std::vector<PortEntry>> entries) { m_entries = std::move(entries); }

private:
    std::optional<std::vector<PortEntry>> m_entries;
};

// Settings held in memory; counts the writes.
class MemoryProfile final : public Profile {
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override
    {
        auto it = m_values.find({section, entry});
        return it == m_values.end() ? defaultValue : it->second;
    }
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override
    {
        m_values[{section, entry}] = value;
        ++m_writes;
        return true;
    }
    int Writes() const { return m_writes; }

private:
    std::map<std::pair<std::string, std::string>, int> m_values;
    int m_writes = 0;
};

// Records what would have been opened.
class RecordingShellOpen final : public ShellOpen {
public:
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return result;
    }
    std::vector<std::string> opened;
    bool result = true;
};

// A pretend desktop: windows in Z order, each recording what it is sent.
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
