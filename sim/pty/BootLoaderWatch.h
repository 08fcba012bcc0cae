#pragma once
// The page boot loader's watch: the entry command, its answers, every page
// and the end marker.

#include "sim/PageBootLoader.h"
#include "sim/pty/DeviceWatch.h"

#include <cstddef>
#include <cstdint>

namespace tvqx::sim {

class BootLoaderWatch final : public DeviceWatch {
public:
    BootLoaderWatch(const PageBootLoader& device, DevsimTrace& trace);

    void PoweredOn() override;
    void AfterByte(uint8_t byte, uint64_t nowNs) override;
    bool UpdateCompleted() const override { return m_endMarker; }

    size_t PagesWrittenThisSession() const;

private:
    void OnPage(uint64_t nowNs);
    void OnEntry(uint64_t nowNs);

    const PageBootLoader& m_device;
    DevsimTrace& m_trace;
    PageBootLoader::Stage m_stage;
    size_t m_entries;
    size_t m_pagesReceived;
    size_t m_pagesWritten;
    size_t m_pagesWrittenAtPowerOn;
    EntryCommandSpotter m_ignoredEntry;
    bool m_endMarker = false;
    bool m_havePreviousPage = false;
    uint16_t m_previousPage = 0;
    unsigned m_repeats = 0;
};

} // namespace tvqx::sim
