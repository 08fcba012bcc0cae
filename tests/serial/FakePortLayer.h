#pragma once
// A port layer that records the platform calls in order and plays a line
// whose received bytes a test schedules on the virtual clock.

#include "serial/CRS232.h"

#include <deque>
#include <string>
#include <vector>

namespace tvqx::test {

using Calls = std::vector<std::string>;

struct FakeLine {
    bool available = true;
    Calls calls;   // BytesInQueue is polled, so it is left out
    std::deque<uint8_t> input;
    std::vector<uint8_t> output;
    std::vector<Dcb> states;
    CommTimeouts timeouts;
};

class FakeHandle final : public PortHandle {
public:
    explicit FakeHandle(FakeLine& line) : m_line(line) {}
    ~FakeHandle() override { Log("CloseHandle"); }
    int SetupComm(uint32_t in, uint32_t out) override { return Log("SetupComm " + N(in) + " " + N(out)); }
    int SetCommTimeouts(const CommTimeouts& t) override { m_line.timeouts = t; return Log("SetCommTimeouts"); }
    int SetCommState(const Dcb& dcb) override { m_line.states.push_back(dcb); return Log("SetCommState"); }
    int SetCommMask(uint32_t mask) override { return Log("SetCommMask " + N(mask)); }
    int PurgeComm(uint32_t flags) override
    {
        if (flags & PURGE_RXCLEAR)
            m_line.input.clear();
        return Log("PurgeComm " + N(flags));
    }
    int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) override
    {
        m_line.output.insert(m_line.output.end(), data, data + count);
        *written = count;
        return Log("WriteFile " + N(count));
    }
    int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) override
    {
        for (*read = 0; *read < count && !m_line.input.empty(); ++*read) {
            buffer[*read] = m_line.input.front();
            m_line.input.pop_front();
        }
        return Log("ReadFile " + N(count));
    }
    int BytesInQueue(uint32_t* count) override { *count = static_cast<uint32_t>(m_line.input.size()); return 1; }
    int GetCommModemStatus(uint32_t* status) override { *status = MS_DSR_ON; return Log("GetCommModemStatus"); }
    int EscapeCommFunction(int code) override { return Log("Escape " + N(code)); }

private:
    static std::string N(int64_t v) { return std::to_string(v); }
    int Log(std::string call) { m_line.calls.push_back(std::move(call)); return 1; }
    FakeLine& m_line;
};

class FakePortLayer final : public PortLayer {
public:
    std::unique_ptr<PortHandle> CreateFile(int portNumber) override
    {
        line.calls.push_back("CreateFile " + std::to_string(portNumber));
        return line.available ? std::make_unique<FakeHandle>(line) : nullptr;
    }
    FakeLine line;
};

// Opens up the port's state and catches what it hands to the frame senders.
class TestRS232 : public CRS232 {
public:
    using CRS232::CRS232;
    using CRS232::m_dcb, CRS232::m_frameSeq1, CRS232::m_frameSeq2, CRS232::m_inQueueSize,
        CRS232::m_isOpen, CRS232::m_outQueueSize, CRS232::m_portNumber;
    std::vector<std::pair<int, std::vector<uint8_t>>> frames;   // form, bytes

protected:
    void SendLinkFrame1(const uint8_t* p, int n) override { frames.push_back({1, {p, p + n}}); }
    void SendLinkFrame2(const uint8_t* p, int n) override { frames.push_back({2, {p, p + n}}); }
};

} // namespace tvqx::test
