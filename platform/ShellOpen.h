#pragma once
// Opening a document, a mail address or a web address with the user's own
// program for it.

#include <string>

namespace tvqx {

class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    // True when a program was started for it.
    virtual bool Open(const std::string& target) = 0;
};

// Where nothing can be shown, as in the console program: nothing is opened.
class NoShellOpen final : public ShellOpen {
public:
    bool Open(const std::string&) override { return false; }
};

} // namespace tvqx
