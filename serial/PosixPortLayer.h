#pragma once
// The port layer on a POSIX terminal device (termios): real UARTs, USB
// adapters and pseudo-terminals alike.

#include "serial/PortLayer.h"

#include <functional>
#include <memory>
#include <string>

namespace tvqx {

class PosixPortLayer final : public PortLayer {
public:
    // Gives the device path of COMn, or an empty string when there is none.
    using PathResolver = std::function<std::string(int portNumber)>;

    explicit PosixPortLayer(PathResolver resolver);

    // Opens the device raw and for this process alone; null when it is
    // missing, not a terminal, or already held by someone else.
    std::unique_ptr<PortHandle> CreateFile(int portNumber) override;

private:
    PathResolver m_resolver;
};

} // namespace tvqx
