#pragma once
// Byte-for-byte equality whose running time does not depend on where two texts differ,
// so timing a log-in does not tell how much of a wrong password was right.

#include <string_view>

namespace zel {

inline bool ConstantTimeEqual(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() > b.size() ? a.size() : b.size();
    volatile unsigned char diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff = static_cast<unsigned char>(diff | (x ^ y));
    }
    return diff == 0;
}

} // namespace zel
