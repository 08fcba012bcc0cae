#pragma once
// Linux's own line-settings record, which carries any speed as a plain
// number (14400 baud has no B constant). The C library's termios.h cannot be
// mixed with the kernel header that declares it, so the generic layout is
// repeated here, once, for the port layer and the virtual device.

#include <sys/ioctl.h>
#include <termios.h>

#if defined(__linux__) && defined(TCGETS2) && defined(TCSETS2)
#define TVQX_HAVE_TERMIOS2 1

namespace tvqx::termios2 {

struct Settings {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};

// The speed bits of c_cflag, and the value that says "the speed is in
// c_ispeed and c_ospeed".
constexpr tcflag_t kCbaud = 0010017;
constexpr tcflag_t kBother = 0010000;

inline bool Get(int fd, Settings& settings)
{
    return ::ioctl(fd, _IOR('T', 0x2A, Settings), &settings) == 0;
}

inline bool Set(int fd, const Settings& settings)
{
    return ::ioctl(fd, _IOW('T', 0x2B, Settings), &settings) == 0;
}

} // namespace tvqx::termios2
#endif
