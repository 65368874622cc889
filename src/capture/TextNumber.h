#pragma once

#include <QString>
#include <cstdint>

namespace capture {

// Reads a text as a number the way a user typing into a field means it: leading blanks are
// skipped, then the longest decimal number (sign, digits, fraction, exponent) is taken and
// anything after it ignored. A text that does not start with a number reads as 0.
double textToNumber(const QString& text);

// floor(value) as a 32-bit integer, saturated at the ends of the range; NaN gives 0.
int32_t floorToInt32(double value);
// value rounded to the nearest whole number (halves away from zero), saturated; NaN gives 0.
int32_t roundToInt32(double value);

} // namespace capture
