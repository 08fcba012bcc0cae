#pragma once
// Watches a simulated device byte by byte and traces what it did with each.
// A watch reads only what the device exposes, so the trace cannot drift from
// what the device really did. Fronts (the wake-up handshake, the running
// application) have their own watch that hands the bytes reaching the boot
// loader on to the boot loader's watch.

#include "sim/BootLoaderEntry.h"
#include "sim/VariantDevices.h"
#include "sim/pty/DevsimTrace.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

class DeviceWatch {
public:
    virtual ~DeviceWatch() = default;
    // A power-up: a fresh device, counting from here.
    virtual void PoweredOn() = 0;
    // Call after handing the device each single byte.
    virtual void AfterByte(uint8_t byte, uint64_t nowNs) = 0;
    // Time passed: for what a device does on its own some time after a
    // command.
    virtual void Tick(uint64_t nowNs) { (void)nowNs; }
    // The update's last step (end marker, end-of-file record) arrived since
    // the last power-up.
    virtual bool UpdateCompleted() const = 0;
};

// The watch for every part of `device`, outermost first.
std::unique_ptr<DeviceWatch> MakeDeviceWatch(const VariantDevice& device, DevsimTrace& trace);

// The trace line of a boot loader's version answer, with the faults that
// shape it.
std::string VersionAnswerLine(const std::optional<std::string>& text, const std::vector<AnswerPiece>& pieces,
                              uint32_t responseDelayMs);

// A unit told to ignore its entry command gives no sign of having seen it;
// the technician still wants to know that it came. Push every byte; true
// when the last ones make up the entry command.
class EntryCommandSpotter {
public:
    bool Push(uint8_t byte)
    {
        m_window.push_back(static_cast<char>(byte));
        if (m_window.size() > kLength)
            m_window.erase(0, 1);
        if (m_window != kBootEntryCommand)
            return false;
        m_window.clear();
        return true;
    }
    void Clear() { m_window.clear(); }

private:
    static constexpr size_t kLength = sizeof(kBootEntryCommand) - 1;
    std::string m_window;
};

} // namespace tvqx::sim
