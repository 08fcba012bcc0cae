#pragma once
// The port layer on the Windows communications functions: COMn is the
// device "\\.\COMn", opened synchronously, for this program alone.

#include "serial/PortLayer.h"

#include <memory>
#include <string>

namespace tvqx {

class Win32PortLayer final : public PortLayer {
public:
    // Null when the port does not exist or another program holds it.
    std::unique_ptr<PortHandle> CreateFile(int portNumber) override;

    // "\\.\COM" followed by the decimal port number.
    static std::string DevicePath(int portNumber);
};

} // namespace tvqx
