#pragma once

#include <QString>
#include <array>
#include <optional>

namespace pins {

// Name and pin number of one trace row for one connector wiring.
struct RowLabel {
    const char* name;
    const char* pin;
};

// The eight rows in screen order: rxd, txd, rts, cts, dtr, dsr, dcd, ri.
using Wiring = std::array<RowLabel, 8>;

// The wiring offered at position index of the "Pin Names & Numbers" pop-up: 0 "9-pin DTE",
// 1 "9-pin DCE", 2 "Mini-8"; nothing for any other index.
std::optional<Wiring> wiringAt(int index);

} // namespace pins
