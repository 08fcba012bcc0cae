#pragma once
// The port layer on a POSIX terminal device (termios): real UARTs, USB
// adapters and pseudo-terminals alike.

#include "serial/PortLayer.h"

#include <functional>
#include <memory>
#include <string>

struct serial_struct;   // <linux/serial.h>

namespace tvqx {

class PosixPortLayer final : public PortLayer {
public:
    // Gives the device path of COMn, or an empty string when there is none.
    using PathResolver = std::function<std::string(int portNumber)>;

    // The driver's own settings record, read and written (TIOCGSERIAL,
    // TIOCSSERIAL); each false when the driver refuses. Left empty, they are
    // those two requests.
    struct DriverSettings {
        std::function<bool(int fd, serial_struct& settings)> get;
        std::function<bool(int fd, const serial_struct& settings)> set;
    };

    explicit PosixPortLayer(PathResolver resolver, DriverSettings driver = {});

    // Opens the device raw and for this process alone; null when it is
    // missing, not a terminal, or already held by someone else. A driver
    // that offers it (USB adapters) is asked for low latency, and given its
    // own setting back when the port closes.
    std::unique_ptr<PortHandle> CreateFile(int portNumber) override;

private:
    PathResolver m_resolver;
    DriverSettings m_driver;
};

} // namespace tvqx
