// The strong format's known answers with real primitives on the host:
// Argon2id from the reference code, AES-256-GCM and HMAC from OpenSSL.
#include <gtest/gtest.h>

#include "support/known_vault.h"
#include "support/openssl_crypto_posix.h"
#include "support/stand_in_crypto.h"
#include "vault/strong_format.h"

namespace velt {
namespace {

TEST(StrongFormatKnownAnswer, BothWaysWithRealPrimitives) {
    struct Case {
        const char* name;
        const char* saltHex;
        StrongKdf kdf;
        CellStore table;
        const char* fileHex;
    } cases[] = {
        {"version 3", test::kKnownSaltV3Hex, StrongKdf::Argon2id(1, 64, 1), test::KnownTableV3(),
         test::kKnownAnswerV3Hex},
        {"version 2", test::kKnownSaltHex, StrongKdf::Pbkdf2(100000), test::KnownTable(), test::kKnownAnswerHex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::OpenSslCrypto crypto;
        test::CountingRandom random;
        random.script = test::Hex(test::kKnownNonceHex);
        const std::string salt = test::Hex(c.saltHex);
        StrongKey key;
        key.Derive(crypto, test::kKnownPassword, reinterpret_cast<const unsigned char*>(salt.data()), c.kdf);
        const std::string file = BuildStrongImage(c.table, key, crypto, random);
        EXPECT_EQ(test::HexOf(file), c.fileHex);

        StrongKey fresh;
        CellStore read;
        std::string bytes = test::Hex(c.fileHex);
        ASSERT_EQ(LoadStrongImage(bytes, test::kKnownPassword, crypto, fresh, read, "baza.pdb"),
                  VaultLoadResult::Loaded);
        EXPECT_TRUE(test::SameCells(read, test::KnownTable()));
        EXPECT_TRUE(test::SameItems(read, c.table));
        bytes = test::Hex(c.fileHex);
        StrongKey none;
        EXPECT_EQ(LoadStrongImage(bytes, "correct horsE", crypto, none, read, "baza.pdb"),
                  VaultLoadResult::IncorrectPassword);
    }
    EXPECT_EQ(std::string(test::kKnownAnswerV3Hex).size(), 2u * 389);
}

} // namespace
} // namespace velt
