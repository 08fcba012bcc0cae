#include "serial/PosixPortLayer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/LinuxTermios2.h"
#include "serial/PosixLineSettings.h"

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace tvqx {

namespace {

// How long a write may make no progress before the line counts as dead
// (a vanished adapter, or a far end that stopped reading).
constexpr auto kWriteStall = std::chrono::seconds(3);
// How often a write that makes no progress looks at the time meanwhile.
constexpr int kStallCheckMs = 100;

bool NoModemLines(int err)
{
    // Pseudo-terminals and some adapters have no handshake lines at all.
    return err == ENOTTY || err == EINVAL;
}

class PosixPortHandle final : public PortHandle {
public:
    // Keeps the settings the terminal has on arrival, to leave it as found.
    explicit PosixPortHandle(int fd) : m_fd(fd), m_foundValid(::tcgetattr(fd, &m_found) == 0) {}

    const termios* FoundSettings() const { return m_foundValid ? &m_found : nullptr; }

    // A USB adapter holds what arrives until its latency timer runs out
    // (often 16 ms) unless its driver is asked for low latency, which
    // every user may do; the driver's own setting goes back on close. A port
    // whose driver has no such setting (a pseudo-terminal, some UARTs)
    // refuses, and is used as it is.
    void AskForLowLatency(const PosixPortLayer::DriverSettings& driver)
    {
#ifdef __linux__
        serial_struct found {};
        if (!driver.get(m_fd, found) || (found.flags & ASYNC_LOW_LATENCY) != 0)
            return;
        serial_struct low = found;
        low.flags |= ASYNC_LOW_LATENCY;
        if (!driver.set(m_fd, low))
            return;
        m_driverFound = found;
        m_restoreDriver = driver.set;
#else
        (void)driver;
#endif
    }

    ~PosixPortHandle() override
    {
#ifdef __linux__
        if (m_restoreDriver)
            m_restoreDriver(m_fd, m_driverFound);
#endif
        // Whoever uses the terminal after us (a shell on a console port,
        // another program) expects its own settings, not our raw line. The
        // program has dropped DTR and RTS already; the settings do not raise
        // them. The line keeps the speed its last bytes went at: they may
        // still be on their way, and a peer that cannot drain (a
        // pseudo-terminal, a network-backed adapter) would take them at the
        // new speed.
        if (m_foundValid) {
            termios restored = m_found;
            termios now {};
            if (::tcgetattr(m_fd, &now) == 0) {
                ::cfsetispeed(&restored, ::cfgetispeed(&now));
                ::cfsetospeed(&restored, ::cfgetospeed(&now));
            }
            ::tcdrain(m_fd);
            ::tcsetattr(m_fd, TCSANOW, &restored);
        }
        // The exclusive flag lives on the terminal, not on our descriptor:
        // left set, it would lock others out while anyone else keeps the
        // device open.
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);   // also releases the flock
    }

    int SetupComm(uint32_t, uint32_t) override
    {
        return 1;   // the kernel sizes its own buffers
    }

    int SetCommTimeouts(const CommTimeouts&) override
    {
        return 1;   // reads here never wait, which is the only setting in use
    }

    int SetCommState(const Dcb& dcb) override;

    int SetCommMask(uint32_t) override
    {
        return 1;   // nothing waits for line events
    }

    int PurgeComm(uint32_t flags) override
    {
        const bool in = (flags & PURGE_RXCLEAR) != 0;
        const bool out = (flags & PURGE_TXCLEAR) != 0;
        if (!in && !out)
            return 1;   // writes are synchronous: there is nothing to abort
        if (in)
            m_aheadBegin = m_aheadEnd = 0;
        const int which = in && out ? TCIOFLUSH : in ? TCIFLUSH : TCOFLUSH;
        return ::tcflush(m_fd, which) == 0 ? 1 : 0;
    }

    int WriteFile(const uint8_t* data, uint32_t count, uint32_t* written) override;

    int ReadFile(uint8_t* buffer, uint32_t count, uint32_t* read) override
    {
        if (read)
            *read = 0;
        if (count == 0)
            return 1;
        if (m_aheadBegin == m_aheadEnd && !ReadAhead())
            return 0;   // EIO: the other end is gone
        const size_t take = std::min<size_t>(count, m_aheadEnd - m_aheadBegin);
        std::memcpy(buffer, m_ahead.data() + m_aheadBegin, take);
        m_aheadBegin += take;
        if (read)
            *read = static_cast<uint32_t>(take);
        return 1;
    }

    bool WaitForInput(uint32_t maxUs) override
    {
        if (m_aheadBegin != m_aheadEnd)
            return true;
        pollfd p {m_fd, POLLIN, 0};
        const timespec timeout {static_cast<time_t>(maxUs / 1'000'000u), static_cast<long>(maxUs % 1'000'000u) * 1000};
        const int ready = ::ppoll(&p, 1, &timeout, nullptr);
        if (ready < 0)
            return errno == EINTR;   // a signal: the caller looks again
        // A hung-up line reports at once and for good, with or without its
        // last bytes: rest on the clock rather than spin on it.
        return ready == 0 || (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == POLLIN;
    }

    int BytesInQueue(uint32_t* count) override
    {
        // Reading what has come costs no more than asking how much it is.
        if (m_aheadBegin == m_aheadEnd && !ReadAhead()) {
            // A failing line answers as the kernel counts it.
            int n = 0;
            const bool ok = ::ioctl(m_fd, FIONREAD, &n) == 0 && n >= 0;
            if (count)
                *count = ok ? static_cast<uint32_t>(n) : 0;
            return ok ? 1 : 0;
        }
        if (count)
            *count = static_cast<uint32_t>(m_aheadEnd - m_aheadBegin);
        return 1;
    }

    int GetCommModemStatus(uint32_t* status) override
    {
        int lines = 0;
        if (::ioctl(m_fd, TIOCMGET, &lines) != 0) {
            if (!NoModemLines(errno))
                return 0;
            lines = 0;
        }
        uint32_t word = 0;
        if (lines & TIOCM_CTS)
            word |= MS_CTS_ON;
        if (lines & TIOCM_DSR)
            word |= MS_DSR_ON;
        if (lines & TIOCM_RNG)
            word |= MS_RING_ON;
        if (lines & TIOCM_CAR)
            word |= MS_RLSD_ON;
        if (status)
            *status = word;
        return 1;
    }

    int EscapeCommFunction(int code) override
    {
        switch (code) {
        case SETDTR: return SetLine(TIOCM_DTR, true);
        case CLRDTR: return SetLine(TIOCM_DTR, false);
        case SETRTS: return SetLine(TIOCM_RTS, true);
        case CLRRTS: return SetLine(TIOCM_RTS, false);
        case SETXOFF: return ::tcflow(m_fd, TCOOFF) == 0 ? 1 : 0;
        case SETXON: return ::tcflow(m_fd, TCOON) == 0 ? 1 : 0;
        default: return 0;
        }
    }

private:
    // Takes what has arrived, if anything; false when the line has failed.
    bool ReadAhead()
    {
        const ssize_t n = ::read(m_fd, m_ahead.data(), m_ahead.size());
        if (n > 0) {
            m_aheadBegin = 0;
            m_aheadEnd = static_cast<size_t>(n);
            return true;
        }
        return n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }

    int SetLine(int line, bool raise)
    {
        if (::ioctl(m_fd, raise ? TIOCMBIS : TIOCMBIC, &line) == 0)
            return 1;
        return NoModemLines(errno) ? 1 : 0;
    }

    bool SetCustomSpeed(uint32_t baud);
    bool WaitUntilSent();

    int m_fd;
    termios m_found {};
    bool m_foundValid;
    // How long one byte takes on the line as last set; zero while unknown.
    std::chrono::nanoseconds m_byteTime {0};
    // What has arrived is read in one go and handed out as asked for: the
    // procedures count and take their answers a byte at a time, which would
    // otherwise cost two counts and a read for every byte.
    std::array<uint8_t, 256> m_ahead {};
    size_t m_aheadBegin = 0;
    size_t m_aheadEnd = 0;
#ifdef __linux__
    serial_struct m_driverFound {};
    std::function<bool(int, const serial_struct&)> m_restoreDriver;   // set once asked
#endif
};

int PosixPortHandle::SetCommState(const Dcb& dcb)
{
    termios t {};
    if (::tcgetattr(m_fd, &t) != 0)
        return 0;
    bool standard = true;
    if (!ApplyLineSettings(dcb, t, &standard))
        return 0;

    int ok = ::tcsetattr(m_fd, TCSANOW, &t) == 0 ? 1 : 0;
    // A rate without a B constant (14400) is set by number where the system
    // can; elsewhere the line stays at 9600 and the call reports failure.
    if (ok && !standard && !SetCustomSpeed(dcb.BaudRate))
        ok = 0;

    // The lines go up even when the settings failed: the device's power
    // must not depend on them.
    const bool dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;
    const bool rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
    ok &= SetLine(TIOCM_DTR, dtr);
    ok &= SetLine(TIOCM_RTS, rts);

    m_byteTime = ok && dcb.BaudRate > 0 ? std::chrono::nanoseconds(BitsPerByte(dcb) * 1'000'000'000LL / dcb.BaudRate)
                                        : std::chrono::nanoseconds(0);
    return ok;
}

bool PosixPortHandle::SetCustomSpeed(uint32_t baud)
{
#ifdef TVQX_HAVE_TERMIOS2
    termios2::Settings t2 {};
    if (!termios2::Get(m_fd, t2))
        return false;
    t2.c_cflag = (t2.c_cflag & ~termios2::kCbaud) | termios2::kBother;
    t2.c_ispeed = baud;
    t2.c_ospeed = baud;
    return termios2::Set(m_fd, t2);
#else
    (void)baud;
    return false;
#endif
}

int PosixPortHandle::WriteFile(const uint8_t* data, uint32_t count, uint32_t* written)
{
    using Clock = std::chrono::steady_clock;
    if (written)
        *written = 0;
    uint32_t done = 0;
    auto lastProgress = Clock::now();
    while (done < count) {
        const ssize_t n = ::write(m_fd, data + done, count - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            if (written)
                *written = done;
            lastProgress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return 0;
        if (Clock::now() - lastProgress > kWriteStall)
            return 0;
        // Until there is room again; the time-out only paces the stall check.
        pollfd p {m_fd, POLLOUT, 0};
        if (::poll(&p, 1, kStallCheckMs) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return 0;
    }
    // The caller's pauses between writes must be pauses on the line, so the
    // write is over only when the bytes have left.
    return WaitUntilSent() ? 1 : 0;
}

bool PosixPortHandle::WaitUntilSent()
{
    using Clock = std::chrono::steady_clock;
    // tcdrain alone would hang for good on output held by an XOFF or a dead
    // adapter; wait for the driver's queue with a stall limit first, so that
    // tcdrain is left only the last few bytes in the hardware.
    int previous = -1;
    auto lastProgress = Clock::now();
    for (;;) {
        int pending = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending <= 0)
            break;
        if (pending != previous) {
            previous = pending;
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress > kWriteStall) {
            return false;
        }
        // The bytes counted cannot have left before the line has carried
        // them, so nothing is lost by resting that long; at an unknown speed
        // the queue is looked at every millisecond.
        const auto need = m_byteTime.count() > 0 ? m_byteTime * pending : std::chrono::nanoseconds(1'000'000);
        const auto rest = std::min<std::chrono::nanoseconds>(need, std::chrono::milliseconds(kStallCheckMs));
        const timespec t {static_cast<time_t>(rest.count() / 1'000'000'000),
                          static_cast<long>(rest.count() % 1'000'000'000)};
        ::nanosleep(&t, nullptr);
    }
    while (::tcdrain(m_fd) != 0) {
        if (errno == EINTR)
            continue;
        return errno == ENOTTY || errno == EINVAL;
    }
    return true;
}

} // namespace

PosixPortLayer::PosixPortLayer(PathResolver resolver, DriverSettings driver)
    : m_resolver(std::move(resolver)), m_driver(std::move(driver))
{
#ifdef __linux__
    if (!m_driver.get)
        m_driver.get = [](int fd, serial_struct& settings) { return ::ioctl(fd, TIOCGSERIAL, &settings) == 0; };
    if (!m_driver.set)
        m_driver.set = [](int fd, const serial_struct& settings) { return ::ioctl(fd, TIOCSSERIAL, &settings) == 0; };
#endif
}

std::unique_ptr<PortHandle> PosixPortLayer::CreateFile(int portNumber)
{
    const std::string path = m_resolver ? m_resolver(portNumber) : std::string();
    if (path.empty())
        return nullptr;

    // Non-blocking so that neither the open (no carrier) nor any read waits.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);   // not a terminal, or another program holds the port
        return nullptr;
    }
    // Only once the lock is ours: setting the flag on a port someone else
    // holds would leave it behind for them.
    ::ioctl(fd, TIOCEXCL);
    auto handle = std::make_unique<PosixPortHandle>(fd);

    if (!handle->FoundSettings())
        return nullptr;
    termios t = *handle->FoundSettings();
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return nullptr;
    handle->AskForLowLatency(m_driver);
    return handle;
}

} // namespace tvqx
