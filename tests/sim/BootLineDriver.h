#pragma once
// The program's end of a simulated device's line, cut down to what the device
// tests need: send at the current millisecond, let time pass a millisecond at
// a time, and note when each byte from the device became readable.

#include "sim/PageBootLoader.h"

#include <string>
#include <vector>

namespace tvqx::sim::test {

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// 128 bytes that differ from page to page and from erased flash.
inline std::vector<uint8_t> PageData(uint16_t page)
{
    std::vector<uint8_t> data(kBootPageSize);
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

class BootLineDriver {
public:
    explicit BootLineDriver(SimDevice& device) : m_device(device) {}

    uint64_t Now() const { return m_now; }
    // Bytes heard so far, each with the millisecond it became readable.
    const std::vector<ReceivedByte>& Heard() const { return m_heard; }
    void Power(bool on) { m_device.SetPower(on, on, m_now); }
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
