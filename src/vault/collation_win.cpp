#include "vault/collation_win.h"

#include <windows.h>

#include <climits>
#include <cwchar>

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
    return std::make_unique<WideBatch>(codePage_, texts);
}

} // namespace velt
