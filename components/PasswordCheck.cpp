#include "zel/components/PasswordCheck.h"

#include "zel/components/ConstantTimeEqual.h"
#include "zel/host/core/Errors.h"

#include <charconv>
#include <sodium.h>

namespace zel {

namespace {
constexpr std::string_view kPrefix = "$argon2id$";

// Reads "name=value" at `pos` of the parameter list "m=...,t=...,p=...".
bool Parameter(std::string_view text, std::size_t& pos, char name, unsigned long long& value) {
    if (pos + 2 > text.size() || text[pos] != name || text[pos + 1] != '=') {
        return false;
    }
    const char* first = text.data() + pos + 2;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first) {
        return false;
    }
    pos = static_cast<std::size_t>(end - text.data());
    return true;
}

// The cost a hash asks for must stay within libsodium's "sensitive" limits (1 GiB, 4
// passes), checked before anything is hashed: a record holding m=4194304 (4 GiB) or t=16
// must not make a log-in take a gigabyte or a minute.
bool SaneCost(std::string_view hash) {
    const std::size_t params = hash.find("$m=");
    if (params == std::string_view::npos) {
        return false;
    }
    std::size_t pos = params + 1;
    unsigned long long m = 0, t = 0, p = 0;
    if (!Parameter(hash, pos, 'm', m) || pos >= hash.size() || hash[pos++] != ',' ||
        !Parameter(hash, pos, 't', t) || pos >= hash.size() || hash[pos++] != ',' ||
        !Parameter(hash, pos, 'p', p)) {
        return false;
    }
    return m <= crypto_pwhash_MEMLIMIT_SENSITIVE / 1024 && t <= crypto_pwhash_OPSLIMIT_SENSITIVE &&
           p == 1;
}
} // namespace

bool IsPasswordHash(const std::string& stored) {
    return stored.compare(0, kPrefix.size(), kPrefix) == 0;
}

bool PasswordMatches(const std::string& stored, const std::string& given) {
    if (!IsPasswordHash(stored)) {
        return ConstantTimeEqual(stored, given);
    }
    if (sodium_init() < 0 || stored.size() >= crypto_pwhash_STRBYTES ||
        stored.find('\0') != std::string::npos || !SaneCost(stored)) {
        return false;
    }
    return crypto_pwhash_str_verify(stored.c_str(), given.data(), given.size()) == 0;
}

std::string HashPassword(const std::string& password) {
    char hash[crypto_pwhash_STRBYTES];
    if (sodium_init() < 0 || crypto_pwhash_str(hash, password.data(), password.size(),
                                               crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                               crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw host::Exception("Cannot hash the password: not enough memory for Argon2id");
    }
    std::string encoded(hash);
    sodium_memzero(hash, sizeof hash);
    return encoded;
}

} // namespace zel
