// Shared by the fuzz targets: a failing check that libFuzzer reports as a
// crash, in-memory files whose mappings poison every byte a reader has no
// business touching, and small reference readers written straight from the
// formats, to compare the real ones against.
#pragma once
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/system_access.h"

namespace fuzz {

using Bytes = std::vector<unsigned char>;

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\n*** check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}
#define CHECK(cond) ((cond) ? (void)0 : ::fuzz::Fail(#cond, __FILE__, __LINE__))

inline std::uint32_t Get32(const unsigned char* p, bool bigEndian) {
    return bigEndian ? (std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3])
                     : (std::uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]);
}
inline std::uint64_t Get64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = v << 8 | p[k];
    return v;
}
inline void Put32(Bytes& b, std::uint32_t v, bool bigEndian) {
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<unsigned char>(v >> (bigEndian ? 24 - 8 * k : 8 * k)));
}
inline void Put64(Bytes& b, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

// Splits at every zero byte (n fields give n - 1 separators).
inline std::vector<std::string> SplitAtZero(std::string_view s) {
    std::vector<std::string> out;
    for (;;) {
        std::size_t z = s.find('\0');
        out.emplace_back(s.substr(0, z));
        if (z == std::string_view::npos) return out;
        s.remove_prefix(z + 1);
    }
}

// ------------------------------------------------------------------ files

// Files held in memory. Every mapping is an exact-size heap copy; bytes
// outside the window set by ExpectReadsWithin() are poisoned, so ASan stops
// a reader the moment it strays outside the data it was given.
class PoisonedFiles : public velt::i18n::FileAccess {
public:
    std::map<std::string, Bytes> files;
    int liveMappings = 0;

    // Applies to the next mapping only.
    void ExpectReadsWithin(std::uint64_t begin, std::uint64_t end) { window_ = {begin, end}; }

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }

    velt::i18n::MapOutcome MapReadOnly(const std::string& path) override {
        velt::i18n::MapOutcome out;
        auto it = files.find(path);
        if (it == files.end()) {
            out.failedStep = velt::i18n::MapStep::Open;
        } else if (it->second.empty()) {
            out.failedStep = velt::i18n::MapStep::CreateMapping;  // an empty file cannot be mapped
        } else {
            std::pair<std::uint64_t, std::uint64_t> w = window_.value_or(std::make_pair(0, it->second.size()));
            out.file = std::make_unique<Mapping>(it->second, w.first, w.second, liveMappings);
        }
        window_.reset();
        return out;
    }

    std::unique_ptr<velt::i18n::FileReader> OpenShared(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::make_unique<Reader>(it->second);
    }

private:
    class Mapping : public velt::i18n::MappedFile {
    public:
        Mapping(const Bytes& bytes, std::uint64_t begin, std::uint64_t end, int& live)
            : size_(bytes.size()), data_(new unsigned char[bytes.size()]), live_(live) {
            std::memcpy(data_.get(), bytes.data(), size_);
            end = std::min<std::uint64_t>(end, size_);
            begin = std::min(begin, end);
            ASAN_POISON_MEMORY_REGION(data_.get(), begin);
            ASAN_POISON_MEMORY_REGION(data_.get() + end, size_ - end);
            ++live_;
        }
        ~Mapping() override {
            ASAN_UNPOISON_MEMORY_REGION(data_.get(), size_);
            --live_;
        }
        const unsigned char* Data() const override { return data_.get(); }
        std::uint64_t Size() const override { return size_; }

    private:
        std::size_t size_;
        std::unique_ptr<unsigned char[]> data_;
        int& live_;
    };

    class Reader : public velt::i18n::FileReader {
    public:
        explicit Reader(const Bytes& bytes) : bytes_(bytes) {}
        std::uint64_t Size() const override { return bytes_.size(); }
        bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) override {
            if (position > bytes_.size() || count > bytes_.size() - position) return false;
            std::memcpy(buffer, bytes_.data() + position, count);
            return true;
        }

    private:
        Bytes bytes_;
    };

    std::optional<std::pair<std::uint64_t, std::uint64_t>> window_;
};

// ------------------------------------------------------------------ MO

// A catalogue as the format describes it, read with every bound checked.
struct RefCatalogue {
    bool isMo = false;       // one of the two magic numbers
    bool swapped = false;    // the other byte order
    bool complete = false;   // header, both tables and every text inside the data
    bool sorted = false;     // source texts strictly ascending, bytewise
    std::uint32_t n = 0;
    std::vector<std::pair<std::string_view, std::string_view>> entries;  // when complete
};

inline RefCatalogue ReadRefCatalogue(const unsigned char* data, std::uint64_t size) {
    RefCatalogue c;
    if (size < 4) return c;
    std::uint32_t magic = Get32(data, false);
    c.isMo = magic == 0x950412DE || magic == 0xDE120495;
    c.swapped = magic == 0xDE120495;
    if (!c.isMo || size < 28) return c;
    bool be = c.swapped;  // little-endian words unless swapped
    c.n = Get32(data + 8, be);
    std::uint64_t o = Get32(data + 12, be), t = Get32(data + 16, be);
    if (o + 8ull * c.n > size || t + 8ull * c.n > size) return c;
    auto text = [&](std::uint64_t at, std::string_view* out) {
        std::uint64_t len = Get32(data + at, be), start = Get32(data + at + 4, be);
        if (start + len > size) return false;
        *out = std::string_view(reinterpret_cast<const char*>(data) + start, len);
        return true;
    };
    for (std::uint32_t i = 0; i < c.n; ++i) {
        std::string_view s, tr;
        if (!text(o + 8ull * i, &s) || !text(t + 8ull * i, &tr)) {
            c.entries.clear();
            return c;
        }
        c.entries.emplace_back(s, tr);
    }
    c.complete = true;
    c.sorted = true;
    for (std::size_t i = 1; i < c.entries.size(); ++i)
        if (!(c.entries[i - 1].first < c.entries[i].first)) c.sorted = false;  // unsigned-byte compare
    return c;
}

// A catalogue in either byte order: header, both tables, texts each
// followed by a zero byte; no hash table. `entries` must be sorted.
inline Bytes WriteMo(const std::vector<std::pair<std::string, std::string>>& entries, bool bigEndian) {
    std::uint32_t n = static_cast<std::uint32_t>(entries.size());
    Bytes mo;
    for (std::uint32_t w : {0x950412DEu, 0u, n, 28u, 28 + 8 * n, 0u, 28 + 16 * n}) Put32(mo, w, bigEndian);
    std::uint32_t at = 28 + 16 * n;
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& e : entries) {
            const std::string& s = pass == 0 ? e.first : e.second;
            Put32(mo, static_cast<std::uint32_t>(s.size()), bigEndian);
            Put32(mo, at, bigEndian);
            at += static_cast<std::uint32_t>(s.size()) + 1;
        }
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& e : entries) {
            const std::string& s = pass == 0 ? e.first : e.second;
            mo.insert(mo.end(), s.begin(), s.end());
            mo.push_back(0);
        }
    return mo;
}

// ------------------------------------------------------------------ text

// Length of the well-formed UTF-8 sequence at s[i] (Unicode table 3-7), or
// 0 when none starts there.
inline std::size_t WellFormedLength(std::string_view s, std::size_t i) {
    auto at = [&](std::size_t k) -> int { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : -1; };
    auto in = [](int b, int lo, int hi) { return b >= lo && b <= hi; };
    int b0 = at(0);
    if (in(b0, 0x00, 0x7F)) return 1;
    if (in(b0, 0xC2, 0xDF)) return in(at(1), 0x80, 0xBF) ? 2 : 0;
    int lo = 0x80, hi = 0xBF;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
    if (in(b0, 0xE0, 0xEF)) return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) ? 3 : 0;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
    if (in(b0, 0xF0, 0xF4)) return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
    return 0;
}

inline bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = WellFormedLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Decodes well-formed sequences; every other byte becomes one U+FFFD.
inline std::u16string RefUtf8ToUtf16(std::string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = WellFormedLength(s, i);
        if (n == 0) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = static_cast<unsigned char>(s[i]) & (n == 1 ? 0x7F : n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return out;
}

// Unpaired surrogates become U+FFFD.
inline std::u16string RefWithoutLoneSurrogates(std::u16string_view s) {
    std::u16string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF, low = out[i] >= 0xDC00 && out[i] <= 0xDFFF;
        if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            out[i] = 0xFFFD;
        }
    }
    return out;
}

template <class S>
S RefWithoutCr(const S& text) {
    S out;
    for (auto c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

// A CR before every LF that lacks one.
template <class S>
S RefAddCr(const S& text) {
    S out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

} // namespace fuzz
