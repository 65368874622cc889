#include "capture/CaptureState.h"

#include "platform/SerialPort.h"

namespace capture {

CaptureState::CaptureState()
    : rxdBuf(kLastIndex + 1, 0), txdBuf(kLastIndex + 1, 0), pBuf(kLastIndex + 1, 0) {}

bool CaptureState::appendSlot(int32_t rxd, int32_t txd, int32_t mask) {
    if (isFull())
        return false;
    ++BufIndex;
    rxdBuf[BufIndex] = rxd;
    txdBuf[BufIndex] = txd;
    pBuf[BufIndex] = mask;
    return true;
}

int32_t handshakeSnapshot(SerialPort& port1, SerialPort& port2) {
    const LineLevels one = port1.lineLevels();
    const LineLevels two = port2.lineLevels();
    int32_t mask = 0;
    if (two.dcd)
        mask += kPort2Dcd;
    if (one.cts)
        mask += kPort1Cts;
    if (two.dsr)
        mask += kPort2Dsr;
    if (one.dsr)
        mask += kPort1Dsr;
    if (one.dcd)
        mask += kPort1Dcd;
    if (one.ri)
        mask += kPort1Ri;
    return mask;
}

} // namespace capture
