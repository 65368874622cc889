#pragma once

#include <QtGlobal>

namespace platform {

// The bit rate a serial driver actually runs an open descriptor at, which can differ from the
// rate asked for when the driver clamps it to what the hardware can do; -1 when the platform
// cannot tell.
qint32 driverRate(qintptr descriptor);

} // namespace platform
