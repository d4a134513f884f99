#include "i18n/mo_file.h"

#include <algorithm>
#include <cstring>

#include "i18n/translator_errors.h"

namespace velt::i18n {

namespace {

constexpr std::uint32_t kMagic = 0x950412DE;
constexpr std::uint32_t kMagicSwapped = 0xDE120495;
constexpr std::uint64_t kHeaderSize = 28;

std::uint32_t Swap(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

} // namespace

TMoFile::TMoFile(FileAccess& files, const std::string& fileName, std::uint64_t offset, std::uint64_t size) {
    MapOutcome mapped = files.MapReadOnly(fileName);
    switch (mapped.failedStep) {
    case MapStep::None: break;
    case MapStep::Open: throw ETranslatorIOError("Cannot open file " + fileName);
    case MapStep::CreateMapping: throw ETranslatorIOError("Cannot create memory map on file " + fileName);
    case MapStep::MapView:
        throw ETranslatorIOError("Cannot map file " + fileName + " into memory. Reason: " + mapped.reason.substr(0, 2000));
    }
    mapping_ = std::move(mapped.file);

    // Only the low 32 bits of the offset address the view.
    std::uint64_t start = offset & 0xFFFFFFFFu;
    std::uint64_t fileSize = mapping_->Size();
    available_ = start < fileSize ? fileSize - start : 0;
    if (size != 0) available_ = std::min(available_, size);
    data_ = mapping_->Data() + (start < fileSize ? start : fileSize);

    std::uint32_t magic = 0;
    if (available_ >= 4) std::memcpy(&magic, data_, 4);
    if (magic == kMagicSwapped) swap_ = true;
    else if (magic != kMagic) throw ETranslatorIOError("This file is not a valid GNU gettext mo file: " + fileName);

    // A header cut short leaves the catalogue empty: every key is "not found".
    if (available_ >= kHeaderSize) {
        bool ok = true;
        n_ = Word(8, &ok);
        originals_ = Word(12, &ok);
        translations_ = Word(16, &ok);
    }
    std::uint64_t probe = 1;
    for (std::uint32_t v = n_; v != 0; v >>= 1) probe <<= 1;
    firstProbe_ = static_cast<std::uint32_t>(probe >> 1);
    firstStride_ = firstProbe_ >> 1;
}

TMoFile::~TMoFile() = default;

std::uint32_t TMoFile::Word(std::uint64_t at, bool* ok) const {
    if (at + 4 > available_) {
        *ok = false;
        return 0;
    }
    std::uint32_t v;
    std::memcpy(&v, data_ + at, 4);
    return swap_ ? Swap(v) : v;
}

bool TMoFile::TableText(std::uint32_t table, std::uint32_t entry, std::string_view* text) const {
    bool ok = true;
    std::uint64_t at = std::uint64_t(table) + 8 * std::uint64_t(entry - 1);
    std::uint32_t length = Word(at, &ok);
    std::uint32_t start = Word(at + 4, &ok);
    if (!ok || std::uint64_t(start) + length > available_) return false;
    *text = std::string_view(reinterpret_cast<const char*>(data_) + start, length);
    return true;
}

std::string TMoFile::Lookup(std::string_view key, bool* found) const {
    if (found) *found = false;
    std::uint32_t i = firstProbe_;
    std::uint32_t s = firstStride_;
    while (i != 0) {
        std::string_view source;
        // A table or text outside the catalogue cannot be compared safely.
        if (!TableText(originals_, i, &source)) break;
        comparisons_.fetch_add(1, std::memory_order_relaxed);
        std::size_t common = std::min(key.size(), source.size());
        int result = common ? std::memcmp(key.data(), source.data(), common) : 0;
        if (result == 0 && key.size() != source.size()) result = key.size() < source.size() ? -1 : 1;
        if (result == 0) {
            std::string_view translation;
            if (!TableText(translations_, i, &translation)) break;
            if (found) *found = true;
            return std::string(translation);
        }
        if (s == 0) break;
        if (result < 0) i = i < s + 1 ? 1 : i - s;
        else i = std::uint64_t(i) + s > n_ ? n_ : i + s;
        s >>= 1;
    }
    return std::string(key);
}

} // namespace velt::i18n
