#include "model/model_fields.h"

int32_t decimalAt(std::string_view line, size_t pos) {
    size_t at = pos;
    while (at < line.size() && isWhiteSpace(line[at])) {
        ++at;
    }
    bool negative = false;
    if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
        negative = line[at] == '-';
        ++at;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past
    // the 32-bit range, so any number of digits is safe.
    constexpr int64_t Limit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
        if (magnitude <= Limit) {
            magnitude = magnitude * 10 + (line[at] - '0');
        }
        ++at;
    }
    if (negative) {
        return magnitude >= Limit ? INT32_MIN : static_cast<int32_t>(-magnitude);
    }
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

size_t afterFirst(std::string_view line, size_t pos, char marker) {
    if (pos > line.size()) {
        return NoField;
    }
    size_t found = line.find(marker, pos);
    return found == std::string_view::npos ? NoField : found + 1;
}

size_t skipFieldText(std::string_view line, size_t pos) {
    size_t at = pos;
    while (at < line.size() && isWhiteSpace(line[at])) {
        ++at;
    }
    while (at < line.size() && !isWhiteSpace(line[at])) {
        ++at;
    }
    return at;
}
