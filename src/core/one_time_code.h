// One-time codes of the second factor: time-based codes (RFC 6238 over
// RFC 4226) and Steam's five-letter codes, read from what users paste or
// imports carry, and written back as the one canonical link Velt stores.
// The secret is held like a password: wiped when the code goes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "core/hmac.h"

namespace velt {

// What was given is not a one-time code Velt can use; the message names why.
class EOneTimeCodeError : public Exception { using Exception::Exception; };

// The choices a bare secret is read with (a link carries its own).
struct OneTimeCodeChoice {
    int digits = 6;     // 6-10
    int period = 30;    // 1-300 seconds
    HashAlgorithm algorithm = HashAlgorithm::Sha1;
};

inline constexpr std::size_t kMaxOneTimeLink = 2048;
// Copying a code with fewer seconds left than this gives the next one.
inline constexpr int kCopyNextBelow = 5;

class OneTimeCode {
public:
    // Reads an otpauth://totp/ link, a steam:// secret, or a bare base32
    // secret (then with `bare`'s choices). Blanks around it are ignored.
    // Throws EOneTimeCodeError.
    static OneTimeCode Parse(std::string_view text, const OneTimeCodeChoice& bare = {});

    OneTimeCode(const OneTimeCode& other);
    OneTimeCode& operator=(const OneTimeCode& other);
    ~OneTimeCode();

    // The canonical otpauth link: the secret in upper-case base32 without
    // padding, the settings that differ from the defaults. Holds the secret:
    // the caller wipes it.
    std::string Link() const;

    // The code for the time step holding `unixTime` (seconds, UTC).
    std::string CodeAt(std::int64_t unixTime) const;
    // Seconds until the code at `unixTime` changes: 1..period.
    int SecondsLeft(std::int64_t unixTime) const;
    // The code to copy: the next one when the current runs out within
    // kCopyNextBelow seconds, so that it is still good when pasted.
    std::string CodeToCopy(std::int64_t unixTime) const;

    bool IsSteam() const { return steam_; }
    int Digits() const { return steam_ ? 5 : digits_; }
    int Period() const { return period_; }
    HashAlgorithm Algorithm() const { return algorithm_; }
    const std::string& Issuer() const { return issuer_; }  // UTF-8
    const std::string& Label() const { return label_; }    // UTF-8

private:
    OneTimeCode() = default;
    void ReadLink(std::string_view link);

    std::string secret_;  // the key's bytes
    std::string issuer_, label_;
    HashAlgorithm algorithm_ = HashAlgorithm::Sha1;
    int digits_ = 6;
    int period_ = 30;
    bool steam_ = false;
};

// The HOTP value (RFC 4226) of `secret` at `counter`, `digits` long (6-10).
std::string Hotp(HashAlgorithm algorithm, std::string_view secret, std::uint64_t counter, int digits);

// Base32 (RFC 4648) read leniently: any case; spaces, tabs, hyphens and
// trailing "=" padding ignored. Throws EOneTimeCodeError naming a bad
// character or a secret that holds nothing.
std::string DecodeBase32(std::string_view text);
std::string EncodeBase32(std::string_view bytes);  // upper case, no padding

} // namespace velt
