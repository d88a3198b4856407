#pragma once
// Whether a password given at log-in matches the password field of the user's record.
// A field that holds an Argon2id hash in the standard encoded form
// ($argon2id$v=19$m=...,t=...,p=...$salt$hash) is verified with libsodium; anything else is
// compared as text, in constant time. A hash that is malformed, or asks for more memory or
// time than any real one does, matches nothing: it is a wrong password, never a crash.

#include <string>

namespace zel {

/// Whether `stored` looks like an encoded Argon2id hash (the prefix alone decides).
bool IsPasswordHash(const std::string& stored);

bool PasswordMatches(const std::string& stored, const std::string& given);

/// `password` hashed with Argon2id and a fresh random salt at libsodium's interactive
/// limits (crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE), in the
/// encoded form; raises host::Exception when the machine cannot spare the memory.
std::string HashPassword(const std::string& password);

} // namespace zel
