#include "vault/collation_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vault/collation_keys.h"

namespace velt {

namespace {

class WideBatch final : public CollationBatch {
public:
    WideBatch(unsigned codePage, const std::vector<std::string_view>& texts) {
        // One buffer for all texts: a code page of single bytes gives at most
        // one UTF-16 unit per byte, double-byte ones fewer.
        size_t total = 0;
        for (std::string_view t : texts) total += t.size();
        wide_.resize(total);
        spans_.reserve(texts.size());
        size_t at = 0;
        for (std::string_view t : texts) {
            int len = 0;
            if (!t.empty()) {
                len = t.size() > INT_MAX ? 0
                      : MultiByteToWideChar(codePage, 0, t.data(), static_cast<int>(t.size()), &wide_[at],
                                            static_cast<int>(t.size()));
                if (len == 0) {
                    spans_.push_back({at, 0, false});
                    continue;
                }
            }
            spans_.push_back({at, static_cast<size_t>(len), true});
            at += static_cast<size_t>(len);
        }
    }

    int Compare(size_t i, size_t j) const override {
        const Span& a = spans_[i];
        const Span& b = spans_[j];
        if (!a.ok || !b.ok) return kCollationFailed;
        // The same UTF-16 text is what CompareStringA would compare too.
        if (a.len == b.len && std::wmemcmp(wide_.data() + a.at, wide_.data() + b.at, a.len) == 0)
            return kCollationEqual;
        return CompareStringW(LOCALE_USER_DEFAULT, 0, wide_.data() + a.at, static_cast<int>(a.len),
                              wide_.data() + b.at, static_cast<int>(b.len));
    }

    bool Collatable(size_t i) const override { return spans_[i].ok; }

private:
    struct Span {
        size_t at;
        size_t len;
        bool ok;
    };
    std::vector<wchar_t> wide_;
    std::vector<Span> spans_;
};

// The primary section of a text's sort key in the user's locale: its bytes
// up to the first separator (1). False when there is no key.
bool PrimaryWeights(const wchar_t* text, int length, std::string& primary) {
    const int need = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length, nullptr, 0);
    if (need <= 0) return false;
    std::vector<char> key(static_cast<size_t>(need));
    // With LCMAP_SORTKEY the destination is bytes, counted in bytes.
    if (LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length, reinterpret_cast<wchar_t*>(key.data()), need) <= 0)
        return false;
    const auto end = std::find(key.begin(), key.end(), '\x01');
    if (end == key.end()) return false;
    primary.assign(key.begin(), end);
    return true;
}

// Every pair of k symbols once, next to each other: a de Bruijn sequence of
// order 2, closed so that the last pair is there too.
std::vector<size_t> AllPairs(size_t k) {
    std::vector<size_t> seq, a(3, 0);
    auto step = [&](auto&& self, size_t t, size_t p) -> void {
        if (t > 2) {
            if (2 % p == 0)
                for (size_t j = 1; j <= p; ++j) seq.push_back(a[j]);
            return;
        }
        a[t] = a[t - p];
        self(self, t + 1, p);
        for (size_t j = a[t - p] + 1; j < k; ++j) {
            a[t] = j;
            self(self, t + 1, t);
        }
    };
    if (k > 0) step(step, 1, 1);
    if (!seq.empty()) seq.push_back(seq.front());
    return seq;
}

// The weights of every byte of a single-byte code page in the user's
// locale. They stand in for CompareStringA only when a text's primary
// weights are those of its characters one after another: a locale that
// joins two letters into one (a contraction) fails the check of all pairs,
// and then every comparison calls the system.
bool BuildWeights(unsigned codePage, ByteWeights& weights) {
    CPINFO info{};
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 1) return false;
    std::vector<wchar_t> chars;
    std::vector<const std::string*> charWeights;
    // Byte 0 stays unusable: texts holding it go to the system as they are.
    for (int b = 1; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t wide = 0;
        if (MultiByteToWideChar(codePage, 0, &byte, 1, &wide, 1) != 1) continue;
        if (CompareStringW(LOCALE_USER_DEFAULT, 0, &wide, 1, &wide, 1) != CSTR_EQUAL) continue;
        std::string primary;
        if (!PrimaryWeights(&wide, 1, primary)) continue;
        // A weight byte of 0 or 1 could not be told from the key's separators.
        if (std::any_of(primary.begin(), primary.end(), [](char c) { return static_cast<unsigned char>(c) < 2; }))
            continue;
        weights.primary[static_cast<size_t>(b)] = primary;
        weights.usable[static_cast<size_t>(b)] = true;
        chars.push_back(wide);
        charWeights.push_back(&weights.primary[static_cast<size_t>(b)]);
    }
    const std::vector<size_t> pairs = AllPairs(chars.size());
    std::wstring text;
    std::string expected;
    for (size_t k : pairs) {
        text += chars[k];
        expected += *charWeights[k];
    }
    std::string actual;
    return !text.empty() && text.size() <= INT_MAX && PrimaryWeights(text.data(), static_cast<int>(text.size()), actual) &&
           actual == expected;
}

struct LocaleWeights {
    LCID locale = 0;
    unsigned codePage = 0;
    bool exact = false;
    ByteWeights weights;
};

// Built once per locale and code page; the check costs a few milliseconds.
const ByteWeights* UserLocaleWeights(unsigned codePage) {
    static std::mutex lock;
    static std::unique_ptr<LocaleWeights> cached;
    const std::lock_guard<std::mutex> guard(lock);
    const LCID locale = GetUserDefaultLCID();
    if (!cached || cached->locale != locale || cached->codePage != codePage) {
        auto fresh = std::make_unique<LocaleWeights>();
        fresh->locale = locale;
        fresh->codePage = codePage;
        fresh->exact = BuildWeights(codePage, fresh->weights);
        cached = std::move(fresh);
    }
    return cached->exact ? &cached->weights : nullptr;
}

} // namespace

UserLocaleCollation::UserLocaleCollation() : codePage_(CP_ACP) {
    DWORD cp = 0;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<char*>(&cp), sizeof cp) != 0 && cp != 0)
        codePage_ = cp;
}

int UserLocaleCollation::Compare(std::string_view a, std::string_view b) const {
    if (a.size() > INT_MAX || b.size() > INT_MAX) return kCollationFailed;
    return CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size()));
}

std::unique_ptr<CollationBatch> UserLocaleCollation::Prepare(const std::vector<std::string_view>& texts) const {
    if (const ByteWeights* weights = UserLocaleWeights(codePage_))
        return std::make_unique<KeyedCollationBatch>(*weights, *this, texts);
    return std::make_unique<WideBatch>(codePage_, texts);
}

bool UserLocaleCollation::HasExactKeys() const { return UserLocaleWeights(codePage_) != nullptr; }

} // namespace velt
