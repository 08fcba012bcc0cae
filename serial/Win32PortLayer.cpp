#include "serial/Win32PortLayer.h"

#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <cstdio>

namespace tvqx {

namespace {

static_assert(sizeof(DCB) == 28, "the settings record is 28 bytes on every Windows");

// Every field CRS232 chose, each set explicitly; nothing is carried over from
// the port's previous state, and the reserved members stay zero.
DCB ToSystemDcb(const Dcb& dcb)
{
    DCB d {};
    d.DCBlength = dcb.DCBlength;
    d.BaudRate = dcb.BaudRate;
    d.fBinary = dcb.fBinary;
    d.fParity = dcb.fParity;
    d.fOutxCtsFlow = dcb.fOutxCtsFlow;
    d.fOutxDsrFlow = dcb.fOutxDsrFlow;
    d.fDtrControl = dcb.fDtrControl;
    d.fDsrSensitivity = dcb.fDsrSensitivity;
    d.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
    d.fOutX = dcb.fOutX;
    d.fInX = dcb.fInX;
    d.fErrorChar = dcb.fErrorChar;
    d.fNull = dcb.fNull;
    d.fRtsControl = dcb.fRtsControl;
    d.fAbortOnError = dcb.fAbortOnError;
    d.XonLim = dcb.XonLim;
    d.XoffLim = dcb.XoffLim;
    d.ByteSize = dcb.ByteSize;
    d.Parity = dcb.Parity;
    d.StopBits = dcb.StopBits;
    d.XonChar = dcb.XonChar;
    d.XoffChar = dcb.XoffChar;
    d.ErrorChar = dcb.ErrorChar;
    d.EofChar = dcb.EofChar;
    d.EvtChar = dcb.EvtChar;
    return d;
}

// Each call is the system's own, with its result passed on as it is.
class Win32PortHandle final : public PortHandle {
public:
    explicit Win32PortHandle(HANDLE handle) : m_handle(handle) {}
    ~Win32PortHandle() override { ::CloseHandle(m_handle); }

    Win32PortHandle(const Win32PortHandle&) = delete;
    Win32PortHandle& operator=(const Win32PortHandle&) = delete;

    int SetupComm(uint32_t inQueue, uint32_t outQueue) override
    {
        return ::SetupComm(m_handle, inQueue, outQueue) ? 1 : 0;
    }

    int SetCommTimeouts(const CommTimeouts& timeouts) override
    {
        COMMTIMEOUTS t {};
        t.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
        t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
        t.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
        t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
        t.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
        return ::SetCommTimeouts(m_handle, &t) ? 1 : 0;
    }

    int SetCommState(const Dcb& dcb) override
    {
        DCB d = ToSystemDcb(dcb);
        return ::SetCommState(m_handle, &d) ? 1 : 0;
    }

    int SetCommMask(uint32_t mask) override { return ::SetCommMask(m_handle, mask) ? 1 : 0; }

    int PurgeComm(uint32_t flags) override { return ::PurgeComm(m_handle, flags) ? 1 : 0; }

    int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) override
    {
        DWORD done = 0;
        const BOOL ok = ::WriteFile(m_handle, data, count, &done, nullptr);
        if (written)
            *written = done;
        return ok ? 1 : 0;
    }

    int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) override
    {
        DWORD done = 0;
        const BOOL ok = ::ReadFile(m_handle, buffer, count, &done, nullptr);
        if (read)
            *read = done;
        return ok ? 1 : 0;
    }

    int BytesInQueue(uint32_t* count) override
    {
        DWORD errors = 0;   // not examined
        COMSTAT status {};
        const BOOL ok = ::ClearCommError(m_handle, &errors, &status);
        if (count)
            *count = ok ? status.cbInQue : 0;
        return ok ? 1 : 0;
    }

    int GetCommModemStatus(uint32_t* status) override
    {
        DWORD word = 0;
        const BOOL ok = ::GetCommModemStatus(m_handle, &word);
        if (ok && status)
            *status = word;
        return ok ? 1 : 0;
    }

    int EscapeCommFunction(int code) override
    {
        return ::EscapeCommFunction(m_handle, static_cast<DWORD>(code)) ? 1 : 0;
    }

    // WaitForInput keeps the default: the port is opened synchronously, and
    // a wait for EV_RXCHAR there has no time limit, so the caller rests on
    // its clock between looks instead.

private:
    HANDLE m_handle;
};

} // namespace

std::string Win32PortLayer::DevicePath(int portNumber)
{
    char path[32];
    std::snprintf(path, sizeof path, "\\\\.\\COM%d", portNumber);
    return path;
}

std::unique_ptr<PortHandle> Win32PortLayer::CreateFile(int portNumber)
{
    // Reading and writing, no sharing, no security attributes, the device
    // must exist, synchronous (no flags), no template.
    const HANDLE h = ::CreateFileW(Widen(DevicePath(portNumber)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32PortHandle>(h);
}

} // namespace tvqx
