#include "serial/TracingPortLayer.h"

#include <cstdio>
#include <utility>

namespace tvqx {

namespace {

// Short byte runs are padded to this many so that their text columns line
// up; the protocols' commands and answers mostly fit.
constexpr uint32_t kHexColumnBytes = 16;
constexpr size_t kCountColumn = 12;   // "> 1024 bytes"

std::string Number(uint32_t n)
{
    return std::to_string(n);
}

std::string Hex2(uint8_t byte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

void PadTo(std::string& text, size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
}

std::string FailureMark(int result)
{
    return result ? "" : " (failed)";
}

const char* OnOff(uint32_t flag)
{
    return flag ? "on" : "off";
}

const char* ControlName(uint32_t control)
{
    switch (control) {
    case 0: return "off";
    case 1: return "on";
    case 2: return "handshake";
    case 3: return "toggle";
    default: return "?";
    }
}

const char* StopBitsName(uint8_t stopBits)
{
    switch (stopBits) {
    case ONESTOPBIT: return "1";
    case ONE5STOPBITS: return "1.5";
    case TWOSTOPBITS: return "2";
    default: return "?";
    }
}

std::string EscapeName(int code)
{
    switch (code) {
    case SETDTR: return "DTR on";
    case CLRDTR: return "DTR off";
    case SETRTS: return "RTS on";
    case CLRRTS: return "RTS off";
    case SETXOFF: return "XOFF: output held";
    case SETXON: return "XON: output resumed";
    default: return "escape " + std::to_string(code);
    }
}

std::string PurgeNames(uint32_t flags)
{
    static constexpr struct {
        uint32_t flag;
        const char* name;
    } kFlags[] = {{PURGE_TXABORT, "TXABORT"}, {PURGE_RXABORT, "RXABORT"}, {PURGE_TXCLEAR, "TXCLEAR"},
                  {PURGE_RXCLEAR, "RXCLEAR"}};
    std::string text = "purge";
    for (const auto& f : kFlags)
        if (flags & f.flag)
            text += std::string(" ") + f.name;
    return flags ? text : text + " nothing";
}

} // namespace

void StreamTraceSink::WriteLine(const std::string& line)
{
    m_out << line << '\n';
    m_out.flush();
}

std::string TraceHeader(const std::string& program, const std::string& version, const std::string& startDate)
{
    return program + " " + version + " wire trace of " + startDate +
           " (ms from the first opening of a port; > sent, < received)";
}

std::string DescribeBytes(char direction, const uint8_t* data, uint32_t count)
{
    std::string text = std::string(1, direction) + " " + Number(count) + (count == 1 ? " byte" : " bytes");
    PadTo(text, kCountColumn);
    text += "  ";
    std::string hex;
    std::string ascii;
    hex.reserve(count * 3);
    ascii.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (i)
            hex += ' ';
        hex += Hex2(data[i]);
        ascii += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '.';
    }
    PadTo(hex, kHexColumnBytes * 3 - 1);
    return text + hex + "  |" + ascii + "|";
}

std::string DescribeLine(const Dcb& dcb)
{
    static constexpr char kParity[] = "NOEMS";
    const char parity = dcb.Parity < 5 ? kParity[dcb.Parity] : '?';
    return "line " + Number(dcb.BaudRate) + " " + Number(dcb.ByteSize) + parity + StopBitsName(dcb.StopBits) +
           ", DTR " + ControlName(dcb.fDtrControl) + ", RTS " + ControlName(dcb.fRtsControl) + ", XON/XOFF out " +
           OnOff(dcb.fOutX) + " in " + OnOff(dcb.fInX) + " (XON " + Hex2(static_cast<uint8_t>(dcb.XonChar)) +
           " XOFF " + Hex2(static_cast<uint8_t>(dcb.XoffChar)) + "), CTS flow " + OnOff(dcb.fOutxCtsFlow) +
           ", DSR flow " + OnOff(dcb.fOutxDsrFlow);
}

std::string DescribeModemInputs(uint32_t status)
{
    return std::string("modem CTS ") + OnOff(status & MS_CTS_ON) + ", DSR " + OnOff(status & MS_DSR_ON) + ", RI " +
           OnOff(status & MS_RING_ON) + ", DCD " + OnOff(status & MS_RLSD_ON);
}

// What the layer and its handles share; handles may outlive the layer.
struct TracingPortLayer::Trace {
    Trace(TickClock& c, TraceSink& s) : clock(c), sink(s) {}

    // The time of an opening is when it began, and the first one's is 0.
    uint32_t Opening()
    {
        const uint32_t now = clock.GetTickCount();
        if (!started) {
            started = true;
            start = now;
        }
        return now;
    }

    void Event(const std::string& what) { Event(what, clock.GetTickCount()); }

    void Event(const std::string& what, uint32_t tick)
    {
        char time[24];
        std::snprintf(time, sizeof time, "%8u ms  ", static_cast<unsigned>(tick - start));
        sink.WriteLine(time + what);
    }

    TickClock& clock;
    TraceSink& sink;
    bool started = false;
    uint32_t start = 0;
};

class TracingPortLayer::Handle final : public PortHandle {
public:
    Handle(std::unique_ptr<PortHandle> inner, std::shared_ptr<Trace> trace, int portNumber)
        : m_inner(std::move(inner)), m_trace(std::move(trace)), m_portNumber(portNumber)
    {
    }

    ~Handle() override
    {
        m_inner.reset();
        m_trace->Event("close COM" + std::to_string(m_portNumber));
    }

    int SetupComm(uint32_t inQueue, uint32_t outQueue) override
    {
        const int r = m_inner->SetupComm(inQueue, outQueue);
        m_trace->Event("queues in " + Number(inQueue) + ", out " + Number(outQueue) + FailureMark(r));
        return r;
    }

    int SetCommTimeouts(const CommTimeouts& t) override
    {
        const int r = m_inner->SetCommTimeouts(t);
        m_trace->Event("timeouts read interval " + Number(t.ReadIntervalTimeout) + " ms, read total " +
                       Number(t.ReadTotalTimeoutMultiplier) + " ms/byte + " + Number(t.ReadTotalTimeoutConstant) +
                       " ms, write total " + Number(t.WriteTotalTimeoutMultiplier) + " ms/byte + " +
                       Number(t.WriteTotalTimeoutConstant) + " ms" + FailureMark(r));
        return r;
    }

    int SetCommState(const Dcb& dcb) override
    {
        const int r = m_inner->SetCommState(dcb);
        m_trace->Event(DescribeLine(dcb) + FailureMark(r));
        return r;
    }

    // Which line events a wait would end on changes nothing on the line.
    int SetCommMask(uint32_t mask) override { return m_inner->SetCommMask(mask); }

    int PurgeComm(uint32_t flags) override
    {
        const int r = m_inner->PurgeComm(flags);
        m_trace->Event(PurgeNames(flags) + FailureMark(r));
        return r;
    }

    int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) override
    {
        uint32_t sent = 0;
        const int r = m_inner->WriteFile(data, count, &sent);
        if (written)
            *written = sent;
        if (sent > 0)
            m_trace->Event(DescribeBytes('>', data, sent));
        if (!r)
            m_trace->Event("write failed after " + Number(sent) + " of " + Number(count) + " bytes");
        return r;
    }

    int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) override
    {
        uint32_t got = 0;
        const int r = m_inner->ReadFile(buffer, count, &got);
        if (read)
            *read = got;
        if (got > 0)
            m_trace->Event(DescribeBytes('<', buffer, got));
        // A dead line fails every poll from then on: say so once.
        if (!r && !m_readFailing)
            m_trace->Event("read failed");
        m_readFailing = !r;
        return r;
    }

    int BytesInQueue(uint32_t* count) override { return m_inner->BytesInQueue(count); }

    int GetCommModemStatus(uint32_t* status) override
    {
        uint32_t lines = 0;
        const int r = m_inner->GetCommModemStatus(&lines);
        if (status)
            *status = lines;
        // Polled in loops: only a change is news.
        constexpr uint32_t kInputs = MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;
        if (r && (!m_haveInputs || (lines & kInputs) != m_inputs)) {
            m_haveInputs = true;
            m_inputs = lines & kInputs;
            m_trace->Event(DescribeModemInputs(m_inputs));
        }
        return r;
    }

    int EscapeCommFunction(int code) override
    {
        const int r = m_inner->EscapeCommFunction(code);
        m_trace->Event(EscapeName(code) + FailureMark(r));
        return r;
    }

    bool WaitForInput(uint32_t maxUs) override { return m_inner->WaitForInput(maxUs); }

private:
    std::unique_ptr<PortHandle> m_inner;
    std::shared_ptr<Trace> m_trace;
    int m_portNumber;
    bool m_readFailing = false;
    bool m_haveInputs = false;
    uint32_t m_inputs = 0;
};

TracingPortLayer::TracingPortLayer(PortLayer& inner, TickClock& clock, TraceSink& sink, PathResolver devicePath)
    : m_inner(inner), m_devicePath(std::move(devicePath)), m_trace(std::make_shared<Trace>(clock, sink))
{
}

TracingPortLayer::~TracingPortLayer() = default;

std::unique_ptr<PortHandle> TracingPortLayer::CreateFile(int portNumber)
{
    const uint32_t openedAt = m_trace->Opening();
    auto inner = m_inner.CreateFile(portNumber);
    std::string what = "open COM" + std::to_string(portNumber);
    const std::string path = m_devicePath ? m_devicePath(portNumber) : std::string();
    if (!path.empty())
        what += " " + path;
    m_trace->Event(inner ? what : what + " refused", openedAt);
    if (!inner)
        return nullptr;
    return std::make_unique<Handle>(std::move(inner), m_trace, portNumber);
}

} // namespace tvqx
