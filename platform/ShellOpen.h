#pragma once
// Opening a document, a mail address or a web address with the user's own
// program for it.

#include <string>
#include <vector>

namespace tvqx {

class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    // True when a program was started for it.
    virtual bool Open(const std::string& target) = 0;
};

// Records what would have been opened (tests, headless runs).
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

} // namespace tvqx
