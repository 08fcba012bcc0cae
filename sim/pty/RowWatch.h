#pragma once
// The row boot loader's watch: the entry command, its version and ready
// character, every record (rows that went as they should are routine
// lines), rejected records, and the end-of-file record. Rows are numbered
// from 1 since the entry command, as the update program counts them.

#include "sim/RowBootLoader.h"
#include "sim/pty/DeviceWatch.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvqx::sim {

class RowWatch final : public DeviceWatch {
public:
    RowWatch(const RowBootLoader& device, DevsimTrace& trace);

    void PoweredOn() override;
    void AfterByte(uint8_t byte, uint64_t nowNs) override;
    bool UpdateCompleted() const override { return m_complete; }

private:
    void OnEntry(uint64_t nowNs);
    void OnRow(uint64_t nowNs);
    // What the unit sent in place of flow-control character `number` (from
    // 0) of the kind `name`, when a fault replaced it; empty when it sent
    // the character itself.
    std::string Deviation(const std::map<size_t, std::vector<uint8_t>>& replacements, size_t number,
                          const char* name) const;

    const RowBootLoader& m_device;
    DevsimTrace& m_trace;
    RowBootLoader::Stage m_stage;
    size_t m_entries;
    size_t m_rows;
    size_t m_rowsAtEntry;
    EntryCommandSpotter m_ignoredEntry;
    bool m_complete = false;
};

// Why a record the unit refused is no good, in a few words.
std::string WhyRecordRefused(const std::string& record, size_t flashSize);

} // namespace tvqx::sim
