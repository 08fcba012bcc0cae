#pragma once
// Opening a document, a mail address or a web address through the Windows
// shell, with the verb "open".

#include "platform/ShellOpen.h"

namespace tvqx {

// Used on one thread, the window's.
class Win32ShellOpen final : public ShellOpen {
public:
    Win32ShellOpen() = default;
    ~Win32ShellOpen() override;
    Win32ShellOpen(const Win32ShellOpen&) = delete;
    Win32ShellOpen& operator=(const Win32ShellOpen&) = delete;

    bool Open(const std::string& target) override;

private:
    // COM was initialised for the thread by the first Open and is to be
    // uninitialised again.
    bool m_comInitialised = false;
    bool m_comTried = false;
};

} // namespace tvqx
