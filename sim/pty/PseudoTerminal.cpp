#include "sim/pty/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/LinuxTermios2.h"

namespace tvqx::sim {

namespace {

uint32_t BaudOf(speed_t speed)
{
    switch (speed) {
    case B0: return 0;
    case B50: return 50;
    case B75: return 75;
    case B110: return 110;
    case B134: return 134;
    case B150: return 150;
    case B200: return 200;
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B1800: return 1800;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

bool SlaveHungUp(int master)
{
    pollfd p {master, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
}

} // namespace

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : m_master(std::exchange(other.m_master, -1)),
      m_openNotifier(std::exchange(other.m_openNotifier, -1)),
      m_slavePath(std::move(other.m_slavePath))
{
}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept
{
    if (this != &other) {
        Close();
        m_master = std::exchange(other.m_master, -1);
        m_openNotifier = std::exchange(other.m_openNotifier, -1);
        m_slavePath = std::move(other.m_slavePath);
    }
    return *this;
}

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

void PseudoTerminal::Close()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_openNotifier >= 0)
        ::close(m_openNotifier);
    m_master = m_openNotifier = -1;
}

void PseudoTerminal::DrainOpenNotices() const
{
    if (m_openNotifier < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    while (::read(m_openNotifier, buffer, sizeof buffer) > 0) {
    }
}

bool PseudoTerminal::Open(std::string& error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // ptsname_r: several units' hosts may make terminals at the same time.
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot set up the pseudo-terminal: ") + std::strerror(errno);
        ::close(master);
        return false;
    }
    Close();
    m_master = master;
    m_slavePath = name;
    // Without it the host has to look for an opener every millisecond.
    m_openNotifier = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_openNotifier >= 0 && ::inotify_add_watch(m_openNotifier, m_slavePath.c_str(), IN_OPEN) < 0) {
        ::close(m_openNotifier);
        m_openNotifier = -1;
    }

    // Settings made on the master are the slave's. A fresh slave echoes and
    // edits lines, which would bounce the device's answers straight back.
    termios t {};
    if (::tcgetattr(m_master, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, B9600);
        ::cfsetospeed(&t, B9600);
        ::tcsetattr(m_master, TCSANOW, &t);
    }
    // Once opened and closed, the slave shows as hung up until its next
    // opener arrives, which is how the host sees the power.
    if (OpenAndCloseSlave() != Reset::Done) {
        error = "cannot open the new pseudo-terminal " + m_slavePath;
        return false;
    }
    return true;
}

uint32_t PseudoTerminal::LineSpeed() const
{
#ifdef TVQX_HAVE_TERMIOS2
    termios2::Settings t2 {};
    if (termios2::Get(m_master, t2))
        return t2.c_ospeed;
#endif
    termios t {};
    if (::tcgetattr(m_master, &t) != 0)
        return 0;
    return BaudOf(::cfgetospeed(&t));
}

PseudoTerminal::Reset PseudoTerminal::ResetSlave() const
{
    // Only a slave nobody holds: clearing the exclusive flag under a program
    // that has just opened the port again would take its lock away.
    if (!SlaveHungUp(m_master))
        return Reset::InUse;
    return OpenAndCloseSlave();
}

PseudoTerminal::Reset PseudoTerminal::OpenAndCloseSlave() const
{
    const int fd = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY && SlaveHungUp(m_master) ? Reset::Locked : Reset::InUse;
    ::tcflush(fd, TCIFLUSH);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return Reset::Done;
}

} // namespace tvqx::sim
