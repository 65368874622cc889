#include "capture/TextNumber.h"

#include <QByteArray>
#include <cmath>
#include <limits>
#include <string>

namespace capture {

double textToNumber(const QString& text) {
    const std::string bytes = text.trimmed().toStdString();
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    auto isDigit = [&](std::size_t k) { return k < n && bytes[k] >= '0' && bytes[k] <= '9'; };
    if (i < n && (bytes[i] == '+' || bytes[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && bytes[i] == '.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when digits follow it ("12e" is 12).
    if (i < n && (bytes[i] == 'e' || bytes[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < n && (bytes[k] == '+' || bytes[k] == '-'))
            ++k;
        if (isDigit(k)) {
            while (isDigit(k))
                ++k;
            i = k;
        }
    }
    // QByteArray::toDouble always reads a point as the decimal separator, whatever the locale.
    bool ok = false;
    const double value = QByteArray::fromStdString(bytes.substr(0, i)).toDouble(&ok);
    if (ok)
        return value;
    // A well-formed number that a double cannot hold: too large reads as infinite (and then
    // saturates like any large number), too small as 0.
    if (bytes.find_first_of("eE") < i && bytes.find('-', bytes.find_first_of("eE")) < i)
        return 0.0;
    return bytes[0] == '-' ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
}

static int32_t saturate(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t floorToInt32(double value) {
    return saturate(std::floor(value));
}

int32_t roundToInt32(double value) {
    return saturate(std::round(value));
}

} // namespace capture
