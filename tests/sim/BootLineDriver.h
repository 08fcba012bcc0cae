#pragma once
// The program's end of a simulated device's line, cut down to what the device
// tests need: send at the current millisecond, let time pass a millisecond at
// a time, and note when each byte from the device became readable.

#include "sim/PageBootLoader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tvqx::sim::test {

// A simulated unit's scripted faults and what the program should hear of them.
template <typename Faults, typename Heard = std::string>
struct FaultCase {
    const char* name;
    Faults faults;
    Heard expected;
};
template <typename Faults, typename Heard>
void PrintTo(const FaultCase<Faults, Heard>& c, std::ostream* os) { *os << c.name; }
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A page's bytes, differing from page to page and from erased flash.
inline std::vector<uint8_t> PageData(uint16_t page, size_t size = kBootPageSize)
{
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(page * 31 + i * 7);
    return data;
}

inline uint8_t Checksum(const std::vector<uint8_t>& data)
{
    unsigned sum = 0;
    for (uint8_t b : data)
        sum += b;
    return static_cast<uint8_t>(sum);
}

// A byte as a terminal shows it: control characters in caret notation
// (^M for CR, ^Q for XON), bytes above 0x7E in hex (<D0>); -1 (nothing
// came) as '-'.
inline std::string Caret(int byte)
{
    if (byte < 0)
        return "-";
    if (byte < 0x20)
        return {'^', static_cast<char>(byte + '@')};
    if (byte > 0x7E) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "<%02X>", static_cast<unsigned>(byte & 0xFF));
        return hex;
    }
    return std::string(1, static_cast<char>(byte));
}

// "time:bytes" in caret notation for each millisecond in which something was
// heard.
inline std::string CaretTimeline(const std::vector<ReceivedByte>& heard)
{
    std::string out;
    for (size_t i = 0; i < heard.size(); ++i) {
        if (i == 0 || heard[i].timeMs != heard[i - 1].timeMs)
            out += (i ? " " : "") + std::to_string(heard[i].timeMs) + ":";
        out += Caret(heard[i].value);
    }
    return out;
}

class BootLineDriver {
public:
    explicit BootLineDriver(SimDevice& device) : m_device(device) {}

    uint64_t Now() const { return m_now; }
    // Bytes heard so far, each with the millisecond it became readable.
    const std::vector<ReceivedByte>& Heard() const { return m_heard; }
    void Power(bool on) { m_device.SetPower(on, on, m_now); }
    void Speed(uint32_t baud) { m_device.SetLineSpeed(baud, m_now); }
    bool Dsr() const { return m_device.DsrAt(m_now); }
    void Send(const std::vector<uint8_t>& bytes)
    {
        m_device.Receive(bytes.data(), bytes.size(), m_now);
        Wait(0);
    }
    void Wait(uint64_t ms)
    {
        for (uint64_t end = m_now + ms;; ++m_now) {
            std::vector<uint8_t> got;
            m_device.Collect(m_now, got);
            for (uint8_t b : got)
                m_heard.push_back({m_now, b});
            if (m_now == end)
                return;
        }
    }
    // The next unread byte, waiting up to `limitMs` for it; -1 when none came.
    int Next(uint64_t limitMs)
    {
        for (const uint64_t start = m_now; m_read == m_heard.size() && m_now - start < limitMs;)
            Wait(1);
        return m_read < m_heard.size() ? m_heard[m_read++].value : -1;
    }
    void Skip() { m_read = m_heard.size(); }
    // Reads up to and including `value`, waiting up to `limitMs` for each
    // byte; false when it never came.
    bool SkipPast(uint8_t value, uint64_t limitMs)
    {
        for (int byte = Next(limitMs); byte >= 0; byte = Next(limitMs))
            if (byte == value)
                return true;
        return false;
    }
    // A page frame with the program's pauses (20 ms after the number, 10 after
    // the data, 20 after the checksum), then up to 3000 ms for the answer.
    int SendPage(uint16_t page, const std::vector<uint8_t>& data, uint8_t checksumError = 0)
    {
        Send({static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page)});
        Wait(20);
        Send(data);
        Wait(10);
        Send({static_cast<uint8_t>(Checksum(data) + checksumError)});
        Wait(20);
        return Next(3000);
    }

private:
    SimDevice& m_device;
    uint64_t m_now = 0;
    std::vector<ReceivedByte> m_heard;
    size_t m_read = 0;
};

} // namespace tvqx::sim::test
