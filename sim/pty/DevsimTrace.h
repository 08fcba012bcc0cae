#pragma once
// What tvqx-devsim tells the technician: one line per event, stamped with the
// seconds since the host started, written out at once so that a terminal or
// a log shows each event as it happens.

#include "sim/PageBootLoader.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace tvqx::sim {

class DevsimTrace {
public:
    DevsimTrace(std::ostream& out, uint64_t startNs, bool quiet)
        : m_out(out), m_startNs(startNs), m_quiet(quiet) {}

    void Line(uint64_t nowNs, const std::string& text);
    // Lines about single pages, which --quiet leaves out.
    void PageLine(uint64_t nowNs, const std::string& text);

private:
    std::ostream& m_out;
    uint64_t m_startNs;
    bool m_quiet;
};

// A byte as a technician reads it: '!' for printable ones, else 0x0D.
std::string ShowByte(uint8_t value);

// Watches the boot loader byte by byte and traces what it did with each:
// the entry command, its answers, every page and the end marker. It reads
// only what the boot loader exposes, so the trace cannot drift from it.
class BootLoaderWatch {
public:
    BootLoaderWatch(const PageBootLoader& device, DevsimTrace& trace);

    // A power-up: a fresh boot loader, counting from here.
    void PoweredOn();
    // Call after handing the device each single byte.
    void AfterByte(uint8_t byte, uint64_t nowNs);

    // The end marker arrived since the last power-up.
    bool UpdateCompleted() const { return m_endMarker; }
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
    std::string m_ignoredEntryWindow;
    bool m_endMarker = false;
    bool m_havePreviousPage = false;
    uint16_t m_previousPage = 0;
    unsigned m_repeats = 0;
};

} // namespace tvqx::sim
