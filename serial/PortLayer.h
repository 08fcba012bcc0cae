#pragma once
// The port layer under CRS232: the few things an operating system's serial
// functions must do for it, and nothing more. CRS232 holds all the decisions
// (which settings, in which order, what a result means); an implementation
// only carries them out on its system.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tvqx {

// Line settings in the form of the Windows settings record, kept field by
// field so that every value CRS232 chooses is visible and testable.
struct Dcb {
    uint32_t DCBlength = 0;
    uint32_t BaudRate = 0;
    uint32_t fBinary = 0;
    uint32_t fParity = 0;
    uint32_t fOutxCtsFlow = 0;
    uint32_t fOutxDsrFlow = 0;
    uint32_t fDtrControl = 0;
    uint32_t fDsrSensitivity = 0;
    uint32_t fTXContinueOnXoff = 0;
    uint32_t fOutX = 0;
    uint32_t fInX = 0;
    uint32_t fErrorChar = 0;
    uint32_t fNull = 0;
    uint32_t fRtsControl = 0;
    uint32_t fAbortOnError = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

// Values as the Windows headers define them. Where those headers came first
// (a Windows source file), their macros stand for the same numbers.
#ifndef NOPARITY
enum : uint8_t { NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4 };
enum : uint8_t { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
#endif
#ifndef DTR_CONTROL_ENABLE
enum : uint32_t { DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2 };
enum : uint32_t { RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2 };
#endif
#ifndef PURGE_RXCLEAR
enum : uint32_t { PURGE_TXABORT = 1, PURGE_RXABORT = 2, PURGE_TXCLEAR = 4, PURGE_RXCLEAR = 8 };
#endif
#ifndef CLRDTR
enum : int { SETXOFF = 1, SETXON = 2, SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6 };
#endif
#ifndef EV_RXCHAR
enum : uint32_t { EV_RXCHAR = 1, EV_TXEMPTY = 4 };
#endif
#ifndef MS_DSR_ON
enum : uint32_t { MS_CTS_ON = 0x10, MS_DSR_ON = 0x20, MS_RING_ON = 0x40, MS_RLSD_ON = 0x80 };
#endif

struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

// One open port. Every call returns non-zero on success, as the system's own.
class PortHandle {
public:
    virtual ~PortHandle() = default;   // releases the port (CloseHandle)
    virtual int SetupComm(uint32_t inQueue, uint32_t outQueue) = 0;
    virtual int SetCommTimeouts(const CommTimeouts& timeouts) = 0;
    // Applies the settings; DTR and RTS follow fDtrControl and fRtsControl.
    virtual int SetCommState(const Dcb& dcb) = 0;
    virtual int SetCommMask(uint32_t mask) = 0;
    virtual int PurgeComm(uint32_t flags) = 0;
    // Synchronous: returns once the bytes are on the line.
    virtual int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) = 0;
    // Never waits: takes at most `count` of the bytes that have arrived.
    virtual int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) = 0;
    // ClearCommError's input queue count.
    virtual int BytesInQueue(uint32_t* count) = 0;
    virtual int GetCommModemStatus(uint32_t* status) = 0;
    virtual int EscapeCommFunction(int code) = 0;
    // Rests until a byte has arrived or `maxUs` microseconds have passed,
    // what a wait on the received-character event does. False when this
    // port cannot wait so: the caller then rests on its clock instead.
    virtual bool WaitForInput(uint32_t /*maxUs*/) { return false; }
};

// Opens COM ports by number.
class PortLayer {
public:
    virtual ~PortLayer() = default;
    // Opens COMn for reading and writing, unshared. Null when the port does
    // not exist or is in use.
    virtual std::unique_ptr<PortHandle> CreateFile(int portNumber) = 0;
};

} // namespace tvqx
