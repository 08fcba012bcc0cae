#include "serial/CRS232.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

namespace tvqx {

namespace {

constexpr uint32_t kQueueSize = 32768;
constexpr uint32_t kDcbLength = 28;       // the settings record's size on Windows
constexpr int kLinkChunk = 86;            // largest payload one radio frame carries

// Open accepts the slow rates and 14400 as well; a speed change in the middle
// of a procedure only ever goes between the common rates, so anything else
// there falls back to the protocols' home speed.
uint32_t OpenBaud(int baud)
{
    switch (baud) {
    case 300: case 600: case 1200: case 2400: case 4800: case 9600:
    case 14400: case 19200: case 38400: case 57600: case 115200:
        return static_cast<uint32_t>(baud);
    default:
        return 9600;
    }
}

uint32_t ChangeBaud(int baud)
{
    switch (baud) {
    case 1200: case 2400: case 4800: case 9600:
    case 19200: case 38400: case 57600: case 115200:
        return static_cast<uint32_t>(baud);
    default:
        return 9600;
    }
}

uint8_t OpenParity(char letter)
{
    switch (letter) {
    case 'E': return EVENPARITY;
    case 'O': return ODDPARITY;
    case 'M': return MARKPARITY;
    case 'S': return SPACEPARITY;
    default:  return NOPARITY;
    }
}

uint8_t ChangeParity(char letter)
{
    switch (letter) {
    case 'E': return EVENPARITY;
    case 'O': return ODDPARITY;
    default:  return NOPARITY;
    }
}

} // namespace

CRS232::CRS232(PortLayer& layer, TickClock& clock, int linkFrameType)
    : m_layer(layer), m_clock(clock), m_linkFrameType(linkFrameType)
{
}

CRS232::~CRS232()
{
    Close();
}

int CRS232::Open(int portNumber, int baud, char parity, int dataBits, int stopBits)
{
    Close();
    m_portNumber = portNumber;

    // Every field is set here: nothing may be inherited from whatever the
    // port was last used for.
    m_dcb = Dcb{};
    m_dcb.DCBlength = kDcbLength;
    m_dcb.BaudRate = OpenBaud(baud);
    m_dcb.fBinary = 1;
    m_dcb.fParity = 1;
    m_dcb.fOutxCtsFlow = 0;
    m_dcb.fOutxDsrFlow = 0;
    m_dcb.fDtrControl = DTR_CONTROL_ENABLE;   // the device runs on DTR and RTS
    m_dcb.fDsrSensitivity = 0;
    m_dcb.fTXContinueOnXoff = 1;
    m_dcb.fOutX = 0;
    m_dcb.fInX = 0;
    m_dcb.fErrorChar = 0;
    m_dcb.fNull = 0;
    m_dcb.fRtsControl = RTS_CONTROL_ENABLE;
    m_dcb.fAbortOnError = 0;
    m_dcb.XonLim = 100;
    m_dcb.XoffLim = 100;
    m_dcb.ByteSize = static_cast<uint8_t>(dataBits);
    m_dcb.Parity = OpenParity(parity);
    m_dcb.StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    // Recorded only: the driver does no XON/XOFF pacing; the row transfer
    // handles those bytes itself.
    m_dcb.XonChar = 0x11;
    m_dcb.XoffChar = 0x13;
    m_dcb.ErrorChar = static_cast<char>(0xFF);
    m_dcb.EofChar = 0x0D;
    m_dcb.EvtChar = static_cast<char>(0xFF);

    m_handle = m_layer.CreateFile(portNumber);
    if (!m_handle)
        return 0;

    m_isOpen = 1;
    m_inQueueSize = kQueueSize;
    m_outQueueSize = kQueueSize;
    // Results deliberately not examined: a port that opened is in use from
    // here on, and a protocol notices a bad line by the device's silence.
    // Input is not purged, so anything the device sends at power-up stays.
    m_handle->SetupComm(m_inQueueSize, m_outQueueSize);
    CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFFu;   // reads return at once
    m_handle->SetCommTimeouts(timeouts);
    m_handle->SetCommState(m_dcb);
    m_handle->SetCommMask(EV_RXCHAR | EV_TXEMPTY);
    return 1;
}

int CRS232::ChangeSettings(int baud, char parity, char dataBitsDigit)
{
    if (!m_isOpen)
        return 0;
    m_dcb.BaudRate = ChangeBaud(baud);
    m_dcb.Parity = ChangeParity(parity);
    m_dcb.ByteSize = static_cast<uint8_t>(dataBitsDigit - '0');
    m_handle->SetCommState(m_dcb);
    // Whatever arrived at the old speed is noise at the new one.
    return PurgeInput();
}

void CRS232::Close()
{
    if (!m_isOpen)
        return;
    // DTR first, then RTS: the device powers down the same way every time.
    EscapeFunction(CLRDTR);
    EscapeFunction(CLRRTS);
    m_handle.reset();
    m_isOpen = 0;
}

int CRS232::WriteByte(int byte)
{
    const uint8_t value = static_cast<uint8_t>(byte & 0xFF);
    return WriteBuffer(&value, 1);
}

int CRS232::WriteBuffer(const uint8_t* data, int count)
{
    if (!m_isOpen || count < 0 || (data == nullptr && count > 0))
        return 0;
    static const uint8_t kNothing = 0;
    uint32_t written = 0;
    return m_handle->WriteFile(data ? data : &kNothing, static_cast<uint32_t>(count), &written);
}

int CRS232::WriteString(const char* text)
{
    if (text == nullptr)
        return 0;
    return WriteBuffer(text, static_cast<int>(std::strlen(text)));
}

uint32_t CRS232::BytesWaiting()
{
    if (!m_isOpen)
        return 0;
    uint32_t count = 0;
    if (!m_handle->BytesInQueue(&count))
        return 0;
    return count;
}

void CRS232::RestUntilInput(uint32_t start, uint32_t limitMs)
{
    const uint64_t us = m_clock.MicrosecondsUntil(start, limitMs);
    if (us == 0)
        return;   // due already: the caller's next look says so
    // Beyond what one wait takes, it ends early and the caller comes round.
    const uint32_t maxUs = us < UINT32_MAX ? static_cast<uint32_t>(us) : UINT32_MAX;
    if (!m_isOpen || !m_handle->WaitForInput(maxUs))
        m_clock.Idle();
}

int CRS232::PurgeInput()
{
    if (!m_isOpen)
        return 0;
    return m_handle->PurgeComm(PURGE_RXCLEAR);
}

uint32_t CRS232::Read(uint8_t* buffer, uint32_t n)
{
    bool counted = false;
    return Read(buffer, n, &counted);
}

uint32_t CRS232::Read(uint8_t* buffer, uint32_t n, bool* counted)
{
    *counted = false;
    if (!m_isOpen || n == 0 || buffer == nullptr)
        return 0;
    const uint32_t waiting = BytesWaiting();
    if (waiting == 0)
        return 0;
    *counted = true;
    // Asking only for bytes already counted is what keeps this from waiting.
    const uint32_t want = waiting < n ? waiting : n;
    uint32_t got = 0;
    m_handle->ReadFile(buffer, want, &got);
    return got > want ? want : got;
}

bool CRS232::TakeByteOrRest(uint8_t* byte, uint32_t start, uint32_t limitMs)
{
    bool counted = false;
    if (Read(byte, 1, &counted) == 1)
        return true;
    if (counted)
        m_clock.Idle();
    else
        RestUntilInput(start, limitMs);
    return false;
}

int CRS232::ReadUntil(char* buffer, int maxCount, uint32_t idleMs, char terminator)
{
    if (buffer == nullptr || maxCount < 0)
        return 0;
    buffer[0] = '\0';
    if (!m_isOpen)
        return 0;

    int i = 0;
    uint32_t start = m_clock.GetTickCount();
    while (m_clock.GetTickCount() - start < idleMs) {
        uint8_t byte = 0;
        if (!TakeByteOrRest(&byte, start, idleMs))
            continue;
        buffer[i] = static_cast<char>(byte);
        // A full buffer swallows the byte that would overflow it: the caller
        // only ever wants a short answer, and a longer one is wrong anyway.
        if (buffer[i] == terminator || i == maxCount) {
            buffer[i] = '\0';
            return i;
        }
        ++i;
        start = m_clock.GetTickCount();
    }
    buffer[i] = '\0';
    return i;
}

int CRS232::ReadCount(uint8_t* buffer, int count, uint32_t idleMs)
{
    if (!m_isOpen || buffer == nullptr || count < 1)
        return 0;

    int i = 0;
    uint32_t start = m_clock.GetTickCount();
    while (m_clock.GetTickCount() - start < idleMs) {
        if (!TakeByteOrRest(&buffer[i], start, idleMs))
            continue;
        ++i;
        start = m_clock.GetTickCount();
        if (i == count)
            return count;
    }
    return i;
}

void CRS232::DrainInput(uint32_t quietMs)
{
    if (!m_isOpen || quietMs == 0)
        return;
    uint32_t start = m_clock.GetTickCount();
    while (m_clock.GetTickCount() - start < quietMs) {
        uint8_t scratch = 0;
        if (TakeByteOrRest(&scratch, start, quietMs))
            start = m_clock.GetTickCount();
    }
}

void CRS232::PurgeAndWait(uint32_t ms)
{
    if (!m_isOpen)
        return;
    m_handle->PurgeComm(PURGE_TXCLEAR);
    m_handle->PurgeComm(PURGE_RXCLEAR);
    SpinFor(m_clock, ms);
}

int CRS232::GetModemStatus(uint32_t* status)
{
    if (!m_isOpen || status == nullptr)
        return 0;
    return m_handle->GetCommModemStatus(status);
}

int CRS232::EscapeFunction(int code)
{
    if (!m_isOpen)
        return 0;
    return m_handle->EscapeCommFunction(code);
}

int CRS232::GetPortNumber() const
{
    return m_isOpen ? m_portNumber : -1;
}

void CRS232::SendLinkString(const char* text)
{
    if (text == nullptr)
        return;
    SendLinkBuffer(reinterpret_cast<const uint8_t*>(text), static_cast<int>(std::strlen(text)));
}

void CRS232::SendLinkBuffer(const uint8_t* data, int count)
{
    if (!m_isOpen || data == nullptr || count <= 0)
        return;
    if (m_linkFrameType != 1 && m_linkFrameType != 2)
        return;   // no radio link in this build: the chunks go nowhere
    for (int offset = 0; offset < count; offset += kLinkChunk) {
        const int length = count - offset < kLinkChunk ? count - offset : kLinkChunk;
        if (m_linkFrameType == 1)
            SendLinkFrame1(data + offset, length);
        else
            SendLinkFrame2(data + offset, length);
    }
}

namespace {

// The frames begin "<$:P" and three digits counting the bytes after them.
// The count is printed width 3 with its leading blanks turned into zeros.
void PutFrameHeader(std::vector<uint8_t>& frame, int followingBytes)
{
    char header[16] = {};
    std::snprintf(header, sizeof header, "<$:P%3d", followingBytes);
    for (int i = 4; i < 6; ++i)
        if (header[i] == ' ')
            header[i] = '0';
    frame.insert(frame.end(), header, header + std::strlen(header));
}

bool IsLinkChunk(const uint8_t* data, int count)
{
    return count >= 0 && count <= kLinkChunk && (data != nullptr || count == 0);
}

} // namespace

void CRS232::SendLinkFrame1(const uint8_t* data, int count)
{
    if (!IsLinkChunk(data, count))
        return;
    static constexpr uint8_t kFixed[] = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
    std::vector<uint8_t> frame;
    frame.reserve(static_cast<size_t>(count) + 22);
    PutFrameHeader(frame, count + 15);
    frame.insert(frame.end(), std::begin(kFixed), std::end(kFixed));
    frame.push_back(static_cast<uint8_t>(count));
    frame.insert(frame.end(), data, data + count);
    frame.insert(frame.end(), {0x00, 0x00});   // this form carries no checksum
    WriteBuffer(frame.data(), static_cast<int>(frame.size()));
}

void CRS232::SendLinkFrame2(const uint8_t* data, int count)
{
    if (!IsLinkChunk(data, count))
        return;
    std::vector<uint8_t> frame;
    frame.reserve(static_cast<size_t>(count) + 20);
    PutFrameHeader(frame, count + 13);
    frame.insert(frame.end(), {0x61, 0x88, m_frameSeq1, 0xAA, 0xAA, 0x00, 0x00, 0x00, 0x00, m_frameSeq2, 0x00});
    frame.insert(frame.end(), data, data + count);
    frame.insert(frame.end(), {0x00, 0x00});
    WriteBuffer(frame.data(), static_cast<int>(frame.size()));

    // The receiver tells frames apart by these counters; 0 to 10 are kept
    // out of them.
    const auto advance = [](uint8_t& seq) {
        seq = static_cast<uint8_t>(seq + 1);
        if (seq < 11)
            seq = 11;
    };
    advance(m_frameSeq1);
    advance(m_frameSeq2);
}

} // namespace tvqx
