#include "testsupport/SimulatedPortLayer.h"

#include <algorithm>
#include <utility>

namespace tvqx {

// One COM port's wire to its device and the driver state behind it.
struct SimulatedPortLayer::Line {
    sim::SimDevice* device = nullptr;
    bool open = false;
    bool dtr = false;
    bool rts = false;
    std::deque<uint8_t> input;
    size_t dropped = 0;
    uint8_t failingByte = 0;
    size_t failingReads = 0;
    bool modemStatusFails = false;
};

// Outlives the layer while handles remain, so a test that tears the layer
// down before the port object closes does not crash.
struct SimulatedPortLayer::Shared {
    VirtualTickClock* clock = nullptr;
    std::map<int, std::shared_ptr<Line>> lines;

    std::vector<std::string> calls;
    std::vector<int> escapeCodes;
    std::vector<uint32_t> purgeFlags;
    bool hasDcb = false;
    Dcb lastDcb;
    CommTimeouts lastTimeouts;
    uint32_t inQueueSize = 0;
    uint32_t outQueueSize = 0;
    uint32_t eventMask = 0;

    uint64_t Now() const { return clock ? clock->Now() : 0; }
};

class SimulatedPortLayer::Handle final : public PortHandle {
public:
    Handle(std::shared_ptr<Shared> shared, std::shared_ptr<Line> line)
        : m_shared(std::move(shared)), m_line(std::move(line))
    {
        // The driver was not listening before the port was opened.
        std::vector<uint8_t> stale;
        if (m_line->device)
            m_line->device->Collect(m_shared->Now(), stale);
        m_line->open = true;
    }

    ~Handle() override
    {
        m_shared->calls.push_back("CloseHandle");
        // Releasing the port lets go of both lines, and the device loses power.
        m_line->dtr = false;
        m_line->rts = false;
        ApplyPower();
        m_line->open = false;
        m_line->input.clear();
        m_line->dropped = 0;
    }

    int SetupComm(uint32_t inQueue, uint32_t outQueue) override
    {
        m_shared->calls.push_back("SetupComm");
        m_shared->inQueueSize = inQueue;
        m_shared->outQueueSize = outQueue;
        return 1;
    }

    int SetCommTimeouts(const CommTimeouts& timeouts) override
    {
        m_shared->calls.push_back("SetCommTimeouts");
        m_shared->lastTimeouts = timeouts;
        return 1;
    }

    int SetCommState(const Dcb& dcb) override
    {
        m_shared->calls.push_back("SetCommState");
        m_shared->hasDcb = true;
        m_shared->lastDcb = dcb;
        if (m_line->device)
            m_line->device->SetLineSpeed(dcb.BaudRate, m_shared->Now());
        // Handshake modes drive the line too, so only "disable" leaves it down.
        m_line->dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;
        m_line->rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
        ApplyPower();
        return 1;
    }

    int SetCommMask(uint32_t mask) override
    {
        m_shared->calls.push_back("SetCommMask");
        m_shared->eventMask = mask;
        return 1;
    }

    int PurgeComm(uint32_t flags) override
    {
        m_shared->calls.push_back("PurgeComm");
        m_shared->purgeFlags.push_back(flags);
        if (flags & PURGE_RXCLEAR) {
            Pull();
            m_line->input.clear();
        }
        // Writes leave at once on virtual time: there is never output to drop.
        return 1;
    }

    int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) override
    {
        m_shared->calls.push_back("WriteFile");
        if (m_line->device && count > 0)
            m_line->device->Receive(data, count, m_shared->Now());
        if (written)
            *written = count;
        return 1;
    }

    int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) override
    {
        m_shared->calls.push_back("ReadFile");
        Pull();
        if (m_line->failingReads > 0 && !m_line->input.empty() && m_line->input.front() == m_line->failingByte) {
            --m_line->failingReads;
            if (read)
                *read = 0;
            return 0;
        }
        const size_t n = std::min<size_t>(count, m_line->input.size());
        std::copy_n(m_line->input.begin(), n, buffer);
        m_line->input.erase(m_line->input.begin(), m_line->input.begin() + n);
        if (read)
            *read = static_cast<uint32_t>(n);
        return 1;
    }

    int BytesInQueue(uint32_t* count) override
    {
        m_shared->calls.push_back("BytesInQueue");
        Pull();
        if (count)
            *count = static_cast<uint32_t>(m_line->input.size());
        return 1;
    }

    int GetCommModemStatus(uint32_t* status) override
    {
        m_shared->calls.push_back("GetCommModemStatus");
        if (m_line->modemStatusFails)
            return 0;
        if (status)
            *status = (m_line->device && m_line->device->DsrAt(m_shared->Now())) ? uint32_t{MS_DSR_ON} : 0u;
        return 1;
    }

    int EscapeCommFunction(int code) override
    {
        m_shared->calls.push_back("EscapeCommFunction");
        m_shared->escapeCodes.push_back(code);
        switch (code) {
        case SETDTR: m_line->dtr = true; break;
        case CLRDTR: m_line->dtr = false; break;
        case SETRTS: m_line->rts = true; break;
        case CLRRTS: m_line->rts = false; break;
        case SETXOFF:
        case SETXON: return 1;
        default: return 0;
        }
        ApplyPower();
        return 1;
    }

private:
    void ApplyPower()
    {
        if (m_line->device)
            m_line->device->SetPower(m_line->dtr, m_line->rts, m_shared->Now());
    }

    // Moves what the device has sent by now into the input queue.
    void Pull()
    {
        if (!m_line->device)
            return;
        std::vector<uint8_t> arrived;
        m_line->device->Collect(m_shared->Now(), arrived);
        for (uint8_t b : arrived) {
            if (m_line->input.size() < kInputQueueCapacity)
                m_line->input.push_back(b);
            else
                ++m_line->dropped;
        }
    }

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Line> m_line;
};

SimulatedPortLayer::SimulatedPortLayer(VirtualTickClock& clock) : m_shared(std::make_shared<Shared>())
{
    m_shared->clock = &clock;
}

SimulatedPortLayer::~SimulatedPortLayer()
{
    m_shared->clock = nullptr;
    for (auto& [number, line] : m_shared->lines)
        line->device = nullptr;
}

void SimulatedPortLayer::Attach(int portNumber, sim::SimDevice& device)
{
    Detach(portNumber);
    auto line = std::make_shared<Line>();
    line->device = &device;
    m_shared->lines[portNumber] = std::move(line);
}

void SimulatedPortLayer::Detach(int portNumber)
{
    const auto it = m_shared->lines.find(portNumber);
    if (it == m_shared->lines.end())
        return;
    it->second->device = nullptr;
    m_shared->lines.erase(it);
}

void SimulatedPortLayer::FailReadsOf(int portNumber, uint8_t byte, size_t times)
{
    Line& line = *m_shared->lines.at(portNumber);
    line.failingByte = byte;
    line.failingReads = times;
}

void SimulatedPortLayer::FailModemStatus(int portNumber) { m_shared->lines.at(portNumber)->modemStatusFails = true; }

std::unique_ptr<PortHandle> SimulatedPortLayer::CreateFile(int portNumber)
{
    m_shared->calls.push_back("CreateFile");
    const auto it = m_shared->lines.find(portNumber);
    if (it == m_shared->lines.end() || it->second->open)
        return nullptr;
    return std::make_unique<Handle>(m_shared, it->second);
}

const std::vector<std::string>& SimulatedPortLayer::Calls() const { return m_shared->calls; }
void SimulatedPortLayer::ClearCalls()
{
    m_shared->calls.clear();
    m_shared->escapeCodes.clear();
    m_shared->purgeFlags.clear();
}
const std::vector<int>& SimulatedPortLayer::EscapeCodes() const { return m_shared->escapeCodes; }
const std::vector<uint32_t>& SimulatedPortLayer::PurgeFlags() const { return m_shared->purgeFlags; }
bool SimulatedPortLayer::HasDcb() const { return m_shared->hasDcb; }
const Dcb& SimulatedPortLayer::LastDcb() const { return m_shared->lastDcb; }
const CommTimeouts& SimulatedPortLayer::LastTimeouts() const { return m_shared->lastTimeouts; }
uint32_t SimulatedPortLayer::InQueueSize() const { return m_shared->inQueueSize; }
uint32_t SimulatedPortLayer::OutQueueSize() const { return m_shared->outQueueSize; }
uint32_t SimulatedPortLayer::EventMask() const { return m_shared->eventMask; }

bool SimulatedPortLayer::IsOpen(int portNumber) const
{
    const auto it = m_shared->lines.find(portNumber);
    return it != m_shared->lines.end() && it->second->open;
}

bool SimulatedPortLayer::Dtr(int portNumber) const
{
    return IsOpen(portNumber) && m_shared->lines.at(portNumber)->dtr;
}

bool SimulatedPortLayer::Rts(int portNumber) const
{
    return IsOpen(portNumber) && m_shared->lines.at(portNumber)->rts;
}

size_t SimulatedPortLayer::DroppedBytes(int portNumber) const
{
    return IsOpen(portNumber) ? m_shared->lines.at(portNumber)->dropped : 0;
}

} // namespace tvqx
