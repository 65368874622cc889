#include "pins/PinLabels.h"

namespace pins {

namespace {
// Under DCE the roles swap pairwise and the two modem-status rows have nothing to show; on the
// 8-pin mini-DIN the rts row has no pin (one blank) and the dsr row none either (empty).
constexpr Wiring kDte{{{"RxD", "Pin2"},
                       {"TxD", "Pin3"},
                       {"RTS", "Pin7"},
                       {"CTS", "Pin8"},
                       {"DTR", "Pin4"},
                       {"DSR", "Pin6"},
                       {"DCD", "Pin1"},
                       {"RI", "Pin9"}}};
constexpr Wiring kDce{{{"TxD", "Pin3"},
                       {"RxD", "Pin2"},
                       {"CTS", "Pin8"},
                       {"RTS", "Pin7"},
                       {"DSR", "Pin6"},
                       {"DTR", "Pin4"},
                       {"", ""},
                       {"", ""}}};
constexpr Wiring kMini8{{{"RxD", "Pin5"},
                         {"TxD", "Pin3"},
                         {" ", " "},
                         {"HSKi", "Pin2"},
                         {"HSKo", "Pin1"},
                         {"", ""},
                         {"GPi", "Pin7"},
                         {"GPi", "Pin7"}}};
} // namespace

std::optional<Wiring> wiringAt(int index) {
    switch (index) {
    case 0:
        return kDte;
    case 1:
        return kDce;
    case 2:
        return kMini8;
    default:
        return std::nullopt;
    }
}

} // namespace pins
