#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "core/hmac.h"
#include "core/one_time_code.h"

namespace velt {
namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

// The one-time codes' vectors never hash a key longer than a block, nor a
// message that pads into a second block: RFC 2202 and 4231's do.
TEST(Hmac, KeysAndMessagesLongerThanABlock) {
    const std::string key80(80, '\xaa'), key131(131, '\xaa');
    const std::string longData = "This is a test using a larger than block-size key and a larger than block-size data. "
                                 "The key needs to be hashed before being used by the HMAC algorithm.";
    const struct {
        HashAlgorithm algorithm;
        const std::string& key;
        std::string message, want;
    } cases[] = {
        {HashAlgorithm::Sha1, key80, "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
        {HashAlgorithm::Sha256, key131, longData, "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
        {HashAlgorithm::Sha512, key131, longData,
         "e37b6a775dc87dbaa4dfa9f96e5e3ffddebd71f8867289865df5a32d20cdc944b6022cac3c4982b10d5eeb55c3e4de15134676fb6de0"
         "446065c97440fa8c6a58"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Hmac(c.algorithm, c.key, c.message)), c.want) << c.message;
}

// RFC 4226 Appendix D, and RFC 6238 Appendix B with its three keys.
TEST(OneTimeCode, RfcVectors) {
    const std::string key20 = "12345678901234567890";
    const char* const hotp[] = {"755224", "287082", "359152", "969429", "338314",
                                "254676", "287922", "162583", "399871", "520489"};
    for (int counter = 0; counter < 10; ++counter)
        EXPECT_EQ(Hotp(HashAlgorithm::Sha1, key20, counter, 6), hotp[counter]) << counter;

    const std::string keys[] = {key20, "12345678901234567890123456789012",
                                "1234567890123456789012345678901234567890123456789012345678901234"};
    const char* const names[] = {"SHA1", "SHA256", "SHA512"};
    const struct {
        std::int64_t time;
        const char* codes[3];
    } totp[] = {
        {59, {"94287082", "46119246", "90693936"}},          {1111111109, {"07081804", "68084774", "25091201"}},
        {1111111111, {"14050471", "67062674", "99943326"}},  {1234567890, {"89005924", "91819424", "93441116"}},
        {2000000000, {"69279037", "90698825", "38618901"}},  {20000000000, {"65353130", "77737706", "47863826"}},
    };
    for (int a = 0; a < 3; ++a) {
        const std::string link = "otpauth://totp/rfc?secret=" + EncodeBase32(keys[a]) + "&algorithm=" + names[a] +
                                 "&digits=8";
        const OneTimeCode code = OneTimeCode::Parse(link);
        for (const auto& row : totp) EXPECT_EQ(code.CodeAt(row.time), row.codes[a]) << names[a] << " " << row.time;
    }
}

// What people paste: each read to the same secret and settings, the code at
// a fixed time, and the canonical link Velt stores for it.
TEST(OneTimeCode, AwkwardLinksAndSecrets) {
    const OneTimeCodeChoice sha256x7 = {7, 30, HashAlgorithm::Sha256}, sha1x6x90 = {6, 90, HashAlgorithm::Sha1};
    const char* const plain = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";
    const struct {
        const char* text;
        OneTimeCodeChoice bare;
        std::int64_t time;
        const char* code;
        const char* link;
    } cases[] = {
        {"JBSWY3DPEHPK3PXP", {}, 1700000000, "324550", plain},
        {"  jbsw y3dp-ehpk 3pxp\r\n", {}, 1700000000, "324550", plain},
        {"JBSWY3DPEHPK3PXPJBSWY3DP====", {}, 1700000000, "150598", "otpauth://totp/?secret=JBSWY3DPEHPK3PXPJBSWY3DP"},
        {"JBSW%20Y3DP%45HPK3PXP", {}, 1700000000, "324550", plain},
        {"JBSWY3DPEHPK3PXP", sha256x7, 1700000000, "2049486",
         "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256&digits=7"},
        {"JBSWY3DPEHPK3PXP", sha1x6x90, 1700000009, "708178", "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&period=90"},
        {"JBSWY3DPEHPK3PXP", sha1x6x90, 1700000010, "114388", "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&period=90"},
        {"otpauth://totp/Mail:jan?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&issuer=Mail", {}, 1700000000, "921300",
         "otpauth://totp/Mail:jan?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&issuer=Mail"},
        {"OTPAUTH://TOTP/My%20Bank:jan%40x.pl?Secret=jbswy3dpehpk3pxp%3D%3D%3D%3D&ISSUER=My+Bank&digits=8", {},
         1700000000, "02324550", "otpauth://totp/My%20Bank:jan@x.pl?secret=JBSWY3DPEHPK3PXP&issuer=My%20Bank&digits=8"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=90&image=https%3A%2F%2Fa", {}, 1700000000, "708178",
         "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=90"},
        {"otpauth://totp/x?algorithm=sha512&secret=JBSWY3DPEHPK3PXP", {}, 1700000000, "045688",
         "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&algorithm=SHA512"},
        {"otpauth://totp/x?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&algorithm=SHA256&digits=10&period=300", {},
         1700000000, "0337851989",
         "otpauth://totp/x?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&algorithm=SHA256&digits=10&period=300"},
        {"steam://JBSWY3DPEHPK3PXP", {}, 1700000000, "2KM2P", "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&encoder=steam"},
        {"steam://JBSWY3DPEHPK3PXP", {}, 1700000030, "3D7YK", "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&encoder=steam"},
        {"otpauth://totp/Steam:u?secret=JBSWY3DPEHPK3PXP&digits=5&encoder=steam", {}, 1700000000, "2KM2P",
         "otpauth://totp/Steam:u?secret=JBSWY3DPEHPK3PXP&encoder=steam"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const OneTimeCode code = OneTimeCode::Parse(c.text, c.bare);
        EXPECT_EQ(code.CodeAt(c.time), c.code);
        EXPECT_EQ(code.Link(), c.link);
        EXPECT_EQ(OneTimeCode::Parse(code.Link()).CodeAt(c.time), c.code) << "the stored link gives the same code";
    }
}

TEST(OneTimeCode, RefusalsNameWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"otpauth://hotp/x?secret=JBSWY3DPEHPK3PXP&counter=1", "HOTP"},
        {"otpauth://totp/x?issuer=Mail", "no secret"},
        {"otpauth://totp/x?secret=", "no secret"},
        {"", "no secret"},
        {" - = ", "no secret"},
        {"A", "no secret"},  // five bits make no byte
        {"JBSWY3DPEHPK3PX0", "\"0\", which is not a base32"},
        {"JBSWY3DPEHPK3PX\xC5\x82", "0xC5, which is not a base32"},
        {"JBSWY3DP==EHPK3PXP", "after its \"=\" padding"},
        {"JBSW%2", "\"%2\" is not valid"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&algorithm=MD5", "\"MD5\" is not supported"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=5", "digits \"5\" is out of range"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=11", "digits \"11\" is out of range"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=", "digits \"\" is out of range"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=0", "period \"0\" is out of range"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=301", "period \"301\" is out of range"},
        {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=99999999999", "out of range"},
        {"otpauth://totp", "not a one-time code"},
        {"https://example.com/?secret=JBSWY3DPEHPK3PXP", "not a one-time code"},
    };
    for (const auto& [text, want] : cases) {
        try {
            OneTimeCode::Parse(text);
            ADD_FAILURE() << text << " was read";
        } catch (const EOneTimeCodeError& e) {
            EXPECT_NE(std::string(e.what()).find(want), std::string::npos) << text << ": " << e.what();
        }
    }
    EXPECT_THROW(OneTimeCode::Parse("JBSWY3DPEHPK3PXP", {5, 30}), EOneTimeCodeError);
    EXPECT_THROW(OneTimeCode::Parse("JBSWY3DPEHPK3PXP", {6, 301}), EOneTimeCodeError);
    EXPECT_THROW(OneTimeCode::Parse("otpauth://totp/x?secret=" + std::string(2100, 'A')), EOneTimeCodeError);
}

// With fewer than five seconds left, Copy gives the next step's code.
TEST(OneTimeCode, CopyGivesTheNextCodeNearTheEnd) {
    const OneTimeCode code = OneTimeCode::Parse("JBSWY3DPEHPK3PXP");  // steps 1699999980 and 1700000010
    const std::pair<std::int64_t, int> cases[] = {{1700000004, 6}, {1700000005, 5}, {1700000006, 4}, {1700000009, 1}};
    for (const auto& [time, left] : cases) {
        EXPECT_EQ(code.SecondsLeft(time), left) << time;
        EXPECT_EQ(code.CodeToCopy(time), left < 5 ? "367665" : "324550") << time;
    }
}

#ifndef _WIN32
// Debian's oathtool as an independent check, over random secrets and times.
TEST(OneTimeCode, AgreesWithOathtool) {
    if (std::system("oathtool --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "oathtool is not installed";
    std::mt19937_64 random(20261208);
    const char* const names[] = {"SHA1", "SHA256", "SHA512"};
    for (int i = 0; i < 24; ++i) {
        std::string secret(10 + random() % 40, '\0');
        for (char& c : secret) c = static_cast<char>(random());
        const int a = i % 3, digits = 6 + i % 3, period = 1 + static_cast<int>(random() % 300);
        const std::int64_t time = static_cast<std::int64_t>(random() % 4000000000u);
        const OneTimeCode code =
            OneTimeCode::Parse(EncodeBase32(secret), {digits, period, static_cast<HashAlgorithm>(a)});
        const std::string command = "oathtool --totp=" + std::string(names[a]) + " -d " + std::to_string(digits) +
                                    " -s " + std::to_string(period) + " -N @" + std::to_string(time) + " " + Hex(secret);
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[32] = {};
        const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
        pclose(pipe);
        ASSERT_TRUE(read) << command;
        EXPECT_EQ(code.CodeAt(time) + "\n", line) << command;
    }
}
#endif

} // namespace
} // namespace velt
