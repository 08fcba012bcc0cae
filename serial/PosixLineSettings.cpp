#include "serial/PosixLineSettings.h"

namespace tvqx {

namespace {

bool StandardSpeed(uint32_t baud, speed_t* speed)
{
    switch (baud) {
    case 300: *speed = B300; return true;
    case 600: *speed = B600; return true;
    case 1200: *speed = B1200; return true;
    case 2400: *speed = B2400; return true;
    case 4800: *speed = B4800; return true;
    case 9600: *speed = B9600; return true;
    case 19200: *speed = B19200; return true;
    case 38400: *speed = B38400; return true;
    case 57600: *speed = B57600; return true;
    case 115200: *speed = B115200; return true;
    default: return false;
    }
}

} // namespace

bool ApplyLineSettings(const Dcb& dcb, termios& t, bool* standardSpeed)
{
    tcflag_t size = 0;
    switch (dcb.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return false;
    }

    tcflag_t parity = 0;
    switch (dcb.Parity) {
    case NOPARITY: break;
    case ODDPARITY: parity = PARENB | PARODD; break;
    case EVENPARITY: parity = PARENB; break;
#ifdef CMSPAR
    case MARKPARITY: parity = PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: parity = PARENB | CMSPAR; break;
#endif
    default: return false;
    }

    speed_t speed = B9600;
    const bool standard = StandardSpeed(dcb.BaudRate, &speed);
    if (standardSpeed)
        *standardSpeed = standard;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);

    tcflag_t clearC = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
#ifdef CMSPAR
    clearC |= CMSPAR;
#endif
    t.c_cflag &= ~clearC;
    t.c_cflag |= size | parity | CLOCAL | CREAD;
    // 1.5 stop bits exist only with 5 data bits, where CSTOPB means just that.
    if (dcb.StopBits != ONESTOPBIT)
        t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow)
        t.c_cflag |= CRTSCTS;

    t.c_iflag &= ~(INPCK | IGNPAR | PARMRK | ISTRIP | IXON | IXOFF | IXANY);
    if (dcb.fParity)
        t.c_iflag |= INPCK;
    if (dcb.fOutX)
        t.c_iflag |= IXON;
    if (dcb.fInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    return true;
}

int BitsPerByte(const Dcb& dcb)
{
    return 1 + dcb.ByteSize + (dcb.Parity != NOPARITY ? 1 : 0) + (dcb.StopBits == ONESTOPBIT ? 1 : 2);
}

} // namespace tvqx
