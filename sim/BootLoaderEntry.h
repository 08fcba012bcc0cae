#pragma once
// How every boot loader of the unit is entered and how it names itself,
// whichever way it then takes the firmware (pages or HEX rows), and what each
// does alike with its supply, its line speed and the bytes it hears.

#include "sim/DeviceLine.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

inline constexpr char kBootEntryCommand[] = "~#&TV-QX-R-205-7.31";
// The version is 12 characters; its answer ends with a CR.
inline constexpr char kBootVersion[] = "TVQXR-1-4.00";
inline constexpr uint8_t kBootVersionEnd = 0x0D;

// A fresh supply starts the boot loader from the top, waiting for the entry
// command wherever it stands in the stream; once that has come, the loader
// takes the firmware its own way until it is done or falls silent.
class BootLoaderDevice : public SimDevice {
public:
    enum class Stage { Off, AwaitingEntry, Receiving, Done, Silent };

    void SetPower(bool dtr, bool rts, uint64_t nowMs) final
    {
        const bool on = dtr && rts;
        if (!m_line.SetPower(on, nowMs))
            return;
        // Whatever was half-received is gone with the supply.
        m_entryWindow.Clear();
        ResetProtocol();
        m_stage = on ? Stage::AwaitingEntry : Stage::Off;
    }
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) final { m_line.SetLineSpeed(baud, nowMs); }
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) final
    {
        for (size_t i = 0; i < count; ++i) {
            if (!m_line.Hear(data[i], nowMs))
                continue;
            if (m_stage == Stage::Receiving) {
                TakeByte(data[i], nowMs);
            } else if (m_stage == Stage::AwaitingEntry) {
                m_entryWindow.Push(data[i]);
                if (m_entryWindow.EndsWith(kBootEntryCommand)) {
                    m_entryWindow.Clear();
                    OnEntryCommand(nowMs);
                }
            }
        }
    }
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) final { m_line.Collect(nowMs, out); }

    Stage CurrentStage() const { return m_stage; }
    bool Powered() const { return m_stage != Stage::Off; }
    // Every byte that reached the line from the program, powered or not and
    // at any speed, as the program wrote it.
    const std::vector<ReceivedByte>& Received() const { return m_line.Received(); }
    const std::vector<PowerEvent>& PowerEvents() const { return m_line.PowerEvents(); }
    size_t EntryCount() const { return m_entries; }

protected:
    BootLoaderDevice(uint32_t baud, const std::vector<TimedNoise>& noiseAt)
        : m_line(baud, noiseAt), m_entryWindow(sizeof(kBootEntryCommand) - 1)
    {
    }

    // The protocol's state as a fresh supply leaves it; entering the boot
    // loader finds it so, since only a power cycle leads back to the entry.
    virtual void ResetProtocol() = 0;
    virtual void OnEntryCommand(uint64_t nowMs) = 0;
    // A byte of the firmware, once the entry command has been accepted.
    virtual void TakeByte(uint8_t byte, uint64_t nowMs) = 0;

    // Both boot loaders' faults shape the entry alike: `ignoreEntryCommand`,
    // `versionText`, `versionPieces`, `responseDelayMs`. Unless the entry
    // command is to go unnoticed, starts receiving and queues the version
    // answer; returns when its last byte is due.
    template <typename Faults>
    std::optional<uint64_t> AcceptEntry(const Faults& faults, uint64_t nowMs)
    {
        if (faults.ignoreEntryCommand) {
            Tell(nowMs, "entry command received: ignored (--no-answer)");
            return std::nullopt;
        }
        ++m_entries;
        m_stage = Stage::Receiving;
        Tell(nowMs, "entry command received");
        const std::string text = faults.versionText.value_or(kBootVersion);
        std::string told = "version answered: " + ShowText(text + "\r");
        if (!faults.versionPieces.empty())
            told += " in " + std::to_string(faults.versionPieces.size()) + " pieces";
        if (faults.responseDelayMs)
            told += ", " + std::to_string(faults.responseDelayMs) + " ms late";
        Tell(nowMs, told);
        std::vector<uint8_t> version(text.begin(), text.end());
        version.push_back(kBootVersionEnd);
        return m_line.AnswerInPieces(version, faults.versionPieces, nowMs + faults.responseDelayMs);
    }

    DeviceLine m_line;
    Stage m_stage = Stage::Off;

private:
    CommandWindow m_entryWindow;
    size_t m_entries = 0;
};

} // namespace tvqx::sim
