#pragma once
// Passwords in memory: overwritten before the memory is given back, so that a core dump or
// a later allocation does not show them.

#include <string>

namespace zel::host {

/// Overwrites every byte of `secret` with zero, then empties it.
inline void WipeSecret(std::string& secret) {
    volatile char* bytes = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) {
        bytes[i] = 0;
    }
    secret.clear();
}

} // namespace zel::host
