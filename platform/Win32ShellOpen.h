#pragma once
// Opening a document, a mail address or a web address through the Windows
// shell, with the verb "open".

#include "platform/ShellOpen.h"

namespace tvqx {

class Win32ShellOpen final : public ShellOpen {
public:
    bool Open(const std::string& target) override;
};

} // namespace tvqx
