#pragma once
// The serial ports Windows lists in its device map: one value per serial
// device under HKEY_LOCAL_MACHINE\Hardware\DeviceMap\SERIALCOMM, whose data
// is the port's name (COM1, COM2, ...).

#include "platform/PortInventory.h"

#include <optional>
#include <string>
#include <vector>

namespace tvqx {

class RegistryPortInventory final : public PortInventory {
public:
    enum class Root { LocalMachine, CurrentUser };

    // The system's device map; another key can be read instead (tests).
    explicit RegistryPortInventory(Root root = Root::LocalMachine,
                                   std::string subKey = "Hardware\\DeviceMap\\SERIALCOMM");

    // One entry per value read, in the key's order: the data as the name,
    // "\\.\" and the name as the device path. nullopt when the key cannot be
    // opened. The scan stops at the first value it cannot read, which
    // includes a name longer than 500 characters or data longer than 50
    // bytes: those end the list early, as they always have.
    std::optional<std::vector<PortEntry>> ListSerialDevices() override;

private:
    Root m_root;
    std::string m_subKey;
};

} // namespace tvqx
