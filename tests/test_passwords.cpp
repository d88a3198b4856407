// Passwords stored as Argon2id hashes beside plain text ones: what matches and what never does.
#include "zel/components/PasswordCheck.h"

#include <gtest/gtest.h>
#include <sodium.h>

using zel::HashPassword;
using zel::PasswordMatches;

TEST(Passwords, HashesVerifyAndEverythingElseIsText) {
    const std::string hash = HashPassword("s3cret");
    EXPECT_NE(HashPassword("s3cret"), hash); // a fresh salt every time
    const std::string head = hash.substr(0, hash.rfind('$'));
    struct Case {
        const char* what;
        std::string stored, given;
        bool matches;
    } cases[] = {
        {"right password", hash, "s3cret", true},
        {"wrong password", hash, "s3cre", false},
        {"the hash typed as the password", hash, hash, false},
        {"truncated hash", hash.substr(0, hash.size() - 5), "s3cret", false},
        {"hash without its digest", head, "s3cret", false},
        {"garbled digest", head + "$!!!!", "s3cret", false},
        {"prefix alone", "$argon2id$", "$argon2id$", false},
        {"4 GiB of memory asked", "$argon2id$v=19$m=4194304,t=2,p=1$c2FsdHNhbHQ$aGFzaGhhc2g", "x",
         false},
        {"threads libsodium refuses", "$argon2id$v=19$m=65536,t=2,p=4$c2FsdHNhbHQ$aGFzaA", "x",
         false},
        {"memory past 1 GiB", "$argon2id$v=19$m=1048577,t=1,p=1$c2FsdHNhbHQ$aGFzaGhhc2g", "x",
         false},
        {"memory whose bytes overflow", "$argon2id$v=19$m=18014398509481984,t=1,p=1$c2FsdA$aGFzaA",
         "x", false},
        {"a NUL inside", hash + std::string(1, '\0'), "s3cret", false},
        {"plain text", "s3cret", "s3cret", true},
        {"plain text, other case", "s3cret", "S3cret", false},
        {"empty field, empty password", "", "", true},
        {"empty field", "", "s3cret", false},
        {"another scheme is text", "$argon2i$whatever", "$argon2i$whatever", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PasswordMatches(c.stored, c.given), c.matches) << c.what;
    }
}

TEST(Passwords, AHashAskingForMorePassesThanTheLimitIsRefusedUnhashed) {
    // A genuine hash of "pw" at 5 passes: it would verify, were it hashed at all.
    char hash[crypto_pwhash_STRBYTES];
    ASSERT_EQ(sodium_init() >= 0 && crypto_pwhash_str(hash, "pw", 2, 5, 8192) == 0, true);
    EXPECT_EQ(crypto_pwhash_str_verify(hash, "pw", 2), 0);
    EXPECT_FALSE(PasswordMatches(hash, "pw"));
    ASSERT_EQ(crypto_pwhash_str(hash, "pw", 2, 4, 8192), 0); // at the limit: verified
    EXPECT_TRUE(PasswordMatches(hash, "pw"));
}
