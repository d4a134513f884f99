#include "core/one_time_code.h"

#include <cstdio>
#include <vector>

#include "core/resource_strings.h"
#include "core/secure_memory.h"
#include "core/text.h"

namespace velt {

namespace {

constexpr char kBase32[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr char kSteamAlphabet[] = "23456789BCDFGHJKMNPQRTVWXY";

[[noreturn]] void Refuse(int id, std::vector<FormatArg> args = {}) {
    throw EOneTimeCodeError(FormatText(ResStr(id), args));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameAsciiNoCase(s.substr(0, prefix.size()), prefix);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%41" becomes "A"; in a link's query "+" is a space as well.
std::string PercentDecode(std::string_view s, bool plusIsSpace) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+' && plusIsSpace) {
            out += ' ';
        } else if (s[i] != '%') {
            out += s[i];
        } else {
            const int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
            const int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                WipeString(out);
                Refuse(IDS_OTP_BAD_PERCENT, {std::string(s.substr(i, 3))});
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
    }
    return out;
}

// Keeps the letters, digits, "-._~" and `alsoKept`; every other byte as %XX.
std::string PercentEncode(std::string_view s, std::string_view alsoKept) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : s) {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~' || alsoKept.find(c) != alsoKept.npos;
        if (kept) out += c;
        else out += {'%', hex[b >> 4], hex[b & 15]};
    }
    return out;
}

// A refused character as the message shows it: quoted when printable.
std::string Shown(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b > 0x20 && b < 0x7F) return std::string("\"") + c + "\"";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", b);
    return hex;
}

// A whole number within [low, high], else the refusal `id` naming the text.
int ReadNumber(const std::string& text, int low, int high, int id) {
    long value = 0;
    bool ok = !text.empty() && text.size() <= 4;
    for (char c : text) {
        ok = ok && c >= '0' && c <= '9';
        value = value * 10 + (c - '0');
    }
    if (!ok || value < low || value > high) Refuse(id, {text});
    return static_cast<int>(value);
}

} // namespace

std::string DecodeBase32(std::string_view text) {
    std::string out;
    ScopedWipe wipe(out);
    std::uint32_t bits = 0;
    int count = 0;
    bool padded = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '-' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        int value;
        if (c >= 'A' && c <= 'Z') value = c - 'A';
        else if (c >= 'a' && c <= 'z') value = c - 'a';
        else if (c >= '2' && c <= '7') value = c - '2' + 26;
        else Refuse(IDS_OTP_BAD_CHARACTER, {Shown(c)});
        if (padded) Refuse(IDS_OTP_AFTER_PADDING);
        bits = (bits << 5) | static_cast<std::uint32_t>(value);
        count += 5;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>(bits >> count);
            bits &= (1u << count) - 1;
        }
    }
    bits = 0;
    if (out.empty()) Refuse(IDS_OTP_NO_SECRET);
    wipe.Release();
    return out;
}

std::string EncodeBase32(std::string_view bytes) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : bytes) {
        bits = (bits << 8) | static_cast<unsigned char>(c);
        count += 8;
        while (count >= 5) {
            count -= 5;
            out += kBase32[(bits >> count) & 31];
        }
        bits &= (1u << count) - 1;
    }
    if (count > 0) out += kBase32[(bits << (5 - count)) & 31];
    bits = 0;
    return out;
}

namespace {

// The 31-bit number RFC 4226's dynamic truncation takes from the HMAC.
std::uint32_t Truncated(HashAlgorithm algorithm, std::string_view secret, std::uint64_t counter) {
    char message[8];
    for (int i = 0; i < 8; ++i) message[i] = static_cast<char>(counter >> (56 - 8 * i));
    std::string mac = Hmac(algorithm, secret, std::string_view(message, 8));
    ScopedWipe wipe(mac);
    const std::size_t at = static_cast<unsigned char>(mac.back()) & 15;
    auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(mac[at + i])); };
    return (byte(0) & 0x7F) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

} // namespace

std::string Hotp(HashAlgorithm algorithm, std::string_view secret, std::uint64_t counter, int digits) {
    std::uint64_t value = Truncated(algorithm, secret, counter);
    std::string code(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value /= 10) code[i] = static_cast<char>('0' + value % 10);
    return code;
}

OneTimeCode OneTimeCode::Parse(std::string_view text, const OneTimeCodeChoice& bare) {
    text = TrimBlanks(text);
    OneTimeCode code;
    if (StartsWithNoCase(text, "otpauth://")) {
        code.ReadLink(text.substr(10));
    } else if (StartsWithNoCase(text, "steam://")) {
        std::string secret = PercentDecode(text.substr(8), false);
        ScopedWipe wipe(secret);
        code.secret_ = DecodeBase32(secret);
        code.steam_ = true;
    } else if (text.find("://") != text.npos) {
        Refuse(IDS_OTP_NOT_A_CODE);
    } else {
        ReadNumber(std::to_string(bare.digits), 6, 10, IDS_OTP_DIGITS);
        ReadNumber(std::to_string(bare.period), 1, 300, IDS_OTP_PERIOD);
        std::string secret = PercentDecode(text, false);
        ScopedWipe wipe(secret);
        code.secret_ = DecodeBase32(secret);
        code.digits_ = bare.digits;
        code.period_ = bare.period;
        code.algorithm_ = bare.algorithm;
    }
    std::string link = code.Link();
    const std::size_t length = link.size();
    WipeString(link);
    if (length > kMaxOneTimeLink) Refuse(IDS_OTP_TOO_LONG);
    return code;
}

void OneTimeCode::ReadLink(std::string_view rest) {
    const std::size_t slash = rest.find('/');
    const std::string_view type = rest.substr(0, slash);
    if (SameAsciiNoCase(type, "hotp")) Refuse(IDS_OTP_HOTP);
    if (!SameAsciiNoCase(type, "totp") || slash == rest.npos) Refuse(IDS_OTP_NOT_A_CODE);
    rest.remove_prefix(slash + 1);
    const std::size_t question = rest.find('?');
    label_ = PercentDecode(rest.substr(0, question), false);
    std::string_view query = question == rest.npos ? std::string_view() : rest.substr(question + 1);
    bool haveSecret = false;
    std::string digits;
    bool haveDigits = false;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == query.npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        const std::string_view name = pair.substr(0, eq);
        std::string value = PercentDecode(eq == pair.npos ? std::string_view() : pair.substr(eq + 1), true);
        ScopedWipe wipe(value);
        if (SameAsciiNoCase(name, "secret")) {
            WipeString(secret_);
            secret_ = DecodeBase32(value);
            haveSecret = true;
        } else if (SameAsciiNoCase(name, "issuer")) {
            issuer_ = value;
        } else if (SameAsciiNoCase(name, "algorithm")) {
            if (SameAsciiNoCase(value, "SHA1")) algorithm_ = HashAlgorithm::Sha1;
            else if (SameAsciiNoCase(value, "SHA256")) algorithm_ = HashAlgorithm::Sha256;
            else if (SameAsciiNoCase(value, "SHA512")) algorithm_ = HashAlgorithm::Sha512;
            else Refuse(IDS_OTP_ALGORITHM, {value});
        } else if (SameAsciiNoCase(name, "digits")) {
            digits = value, haveDigits = true;  // checked below: Steam's codes ignore it
        } else if (SameAsciiNoCase(name, "period")) {
            period_ = ReadNumber(value, 1, 300, IDS_OTP_PERIOD);
        } else if (SameAsciiNoCase(name, "encoder")) {
            steam_ = SameAsciiNoCase(value, "steam");
        }
        // Other parameters (an image, a counter-less hint) do not change the code.
    }
    if (!haveSecret) Refuse(IDS_OTP_NO_SECRET);
    if (haveDigits && !steam_) digits_ = ReadNumber(digits, 6, 10, IDS_OTP_DIGITS);
}

OneTimeCode::OneTimeCode(const OneTimeCode& other) = default;

OneTimeCode& OneTimeCode::operator=(const OneTimeCode& other) {
    if (this != &other) {
        WipeString(secret_);
        secret_ = other.secret_;
        issuer_ = other.issuer_;
        label_ = other.label_;
        algorithm_ = other.algorithm_;
        digits_ = other.digits_;
        period_ = other.period_;
        steam_ = other.steam_;
    }
    return *this;
}

OneTimeCode::~OneTimeCode() { WipeString(secret_); }

std::string OneTimeCode::Link() const {
    std::string link = "otpauth://totp/" + PercentEncode(label_, ":@") + "?secret=";
    std::string secret = EncodeBase32(secret_);
    link += secret;
    WipeString(secret);
    if (!issuer_.empty()) link += "&issuer=" + PercentEncode(issuer_, "");
    if (algorithm_ == HashAlgorithm::Sha256) link += "&algorithm=SHA256";
    if (algorithm_ == HashAlgorithm::Sha512) link += "&algorithm=SHA512";
    if (digits_ != 6 && !steam_) link += "&digits=" + std::to_string(digits_);
    if (period_ != 30) link += "&period=" + std::to_string(period_);
    if (steam_) link += "&encoder=steam";
    return link;
}

std::string OneTimeCode::CodeAt(std::int64_t unixTime) const {
    const std::uint64_t step = static_cast<std::uint64_t>(unixTime < 0 ? 0 : unixTime) / period_;
    if (!steam_) return Hotp(algorithm_, secret_, step, digits_);
    std::uint32_t value = Truncated(algorithm_, secret_, step);
    std::string code;
    for (int i = 0; i < 5; ++i, value /= 26) code += kSteamAlphabet[value % 26];
    return code;
}

int OneTimeCode::SecondsLeft(std::int64_t unixTime) const {
    return period_ - static_cast<int>((unixTime < 0 ? 0 : unixTime) % period_);
}

std::string OneTimeCode::CodeToCopy(std::int64_t unixTime) const {
    return CodeAt(SecondsLeft(unixTime) < kCopyNextBelow ? unixTime + period_ : unixTime);
}

} // namespace velt
