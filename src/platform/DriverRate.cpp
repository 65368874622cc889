#include "platform/DriverRate.h"

#if defined(Q_OS_LINUX)
// The kernel's own termios2 carries the rate as a number; it cannot share a translation unit
// with the C library's <termios.h>.
#include <asm/termbits.h>
#include <limits>
#include <sys/ioctl.h>
#endif

namespace platform {

qint32 driverRate(qintptr descriptor) {
#if defined(Q_OS_LINUX) && defined(TCGETS2)
    termios2 settings{};
    if (::ioctl(int(descriptor), TCGETS2, &settings) == -1 || settings.c_ospeed == 0 ||
        settings.c_ospeed > unsigned(std::numeric_limits<qint32>::max()))
        return -1;
    return qint32(settings.c_ospeed);
#else
    Q_UNUSED(descriptor);
    return -1;
#endif
}

} // namespace platform
