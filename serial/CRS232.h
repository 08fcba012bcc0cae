#pragma once
// The program's one serial port: opens a numbered COM port with fixed line
// settings, writes, reads what has arrived without ever blocking, and offers
// the polling reads the protocols are built on.
//
// The attached device is powered from DTR and RTS, so an open port keeps both
// raised and closing it drops them: Close and re-Open switch the device off
// and on again.

#include "platform/TickClock.h"
#include "serial/PortLayer.h"

#include <cstdint>
#include <memory>

namespace tvqx {

class CRS232 {
public:
    // linkFrameType picks the radio frame form SendLinkBuffer uses: 0 none
    // (chunks are dropped), 1 SendLinkFrame1, 2 SendLinkFrame2.
    CRS232(PortLayer& layer, TickClock& clock, int linkFrameType = 0);
    virtual ~CRS232();

    CRS232(const CRS232&) = delete;
    CRS232& operator=(const CRS232&) = delete;

    // 1 when opened, 0 when the port is missing or held elsewhere. An open
    // port is closed first (the device sees a power cycle).
    int Open(int portNumber, int baud, char parity, int dataBits, int stopBits);
    // Switches speed mid-procedure and discards what came in at the old one.
    // Returns the input purge's result; 0 on a closed port.
    int ChangeSettings(int baud, char parity, char dataBitsDigit);
    void Close();

    // Non-zero when the platform write succeeded; 0 on a closed port.
    int WriteByte(int byte);
    int WriteBuffer(const uint8_t* data, int count);
    int WriteBuffer(const char* data, int count)
    {
        return WriteBuffer(reinterpret_cast<const uint8_t*>(data), count);
    }
    int WriteString(const char* text);

    uint32_t BytesWaiting();
    int PurgeInput();
    // Rests between two looks for input of a wait that times out once
    // GetTickCount() - start >= limitMs: until a byte arrives or that moment
    // comes, so that a byte is taken as soon as it is there and a time-out
    // noticed on its tick, without waking in between. A port that cannot
    // wait so (a simulated one, Windows) rests one Idle() of the clock; on
    // virtual time that is one tick.
    void RestUntilInput(uint32_t start, uint32_t limitMs);

    // Takes at most n of the bytes already waiting; never waits.
    uint32_t Read(uint8_t* buffer, uint32_t n);
    uint32_t Read(char* buffer, uint32_t n)
    {
        return Read(reinterpret_cast<uint8_t*>(buffer), n);
    }
    // Collects bytes up to `terminator` (not kept) or until idleMs pass with
    // no byte. `buffer` must hold maxCount + 1 bytes; the result is
    // NUL-terminated and the count excludes the terminator.
    int ReadUntil(char* buffer, int maxCount, uint32_t idleMs, char terminator);
    int ReadUntil(uint8_t* buffer, int maxCount, uint32_t idleMs, char terminator)
    {
        return ReadUntil(reinterpret_cast<char*>(buffer), maxCount, idleMs, terminator);
    }
    // Collects exactly `count` bytes unless idleMs pass with no byte; returns
    // how many arrived. Adds no NUL.
    int ReadCount(uint8_t* buffer, int count, uint32_t idleMs);
    int ReadCount(char* buffer, int count, uint32_t idleMs)
    {
        return ReadCount(reinterpret_cast<uint8_t*>(buffer), count, idleMs);
    }
    // Reads and discards until the line has been quiet for quietMs.
    void DrainInput(uint32_t quietMs);
    // Discards both queues, then pauses ms (SpinFor).
    void PurgeAndWait(uint32_t ms);

    int GetModemStatus(uint32_t* status);
    int EscapeFunction(int code);
    // The open port's number, -1 when closed.
    int GetPortNumber() const;
    bool IsOpen() const { return m_handle != nullptr; }

    void SendLinkString(const char* text);
    void SendLinkBuffer(const uint8_t* data, int count);

protected:
    // The radio link frame forms; the link set-up supplies them.
    virtual void SendLinkFrame1(const uint8_t* data, int count);
    virtual void SendLinkFrame2(const uint8_t* data, int count);

    int32_t m_portNumber = -1;   // last number asked for, kept even when Open failed
    Dcb m_dcb;                   // kept here between calls, never read back
    int32_t m_isOpen = 0;
    std::unique_ptr<PortHandle> m_handle;
    uint32_t m_inQueueSize = 0;
    uint32_t m_outQueueSize = 0;
    uint8_t m_frameSeq1 = 11;
    uint8_t m_frameSeq2 = 50;

private:
    // Read() that also tells whether anything was counted as waiting.
    uint32_t Read(uint8_t* buffer, uint32_t n, bool* counted);
    // One byte for the collecting reads, or a rest until one may be there
    // (on the clock when one was counted but could not be read, so as not to
    // spin on it).
    bool TakeByteOrRest(uint8_t* byte, uint32_t start, uint32_t limitMs);

    PortLayer& m_layer;
    TickClock& m_clock;
    int m_linkFrameType;
};

} // namespace tvqx
