// TMoFile: a GNU gettext MO catalogue mapped read-only and searched in place.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "i18n/system_access.h"

namespace velt::i18n {

class TMoFile {
public:
    // Maps `fileName` and checks the catalogue that starts `offset` bytes
    // into it. A nonzero `size` is the catalogue's length inside a larger
    // file (the executable); reads never go past it. Raises ETranslatorIOError.
    TMoFile(FileAccess& files, const std::string& fileName, std::uint64_t offset, std::uint64_t size);
    ~TMoFile();
    TMoFile(const TMoFile&) = delete;
    TMoFile& operator=(const TMoFile&) = delete;

    // The translation of `key` and true, or `key` itself and false.
    std::string Lookup(std::string_view key, bool* found = nullptr) const;

    std::uint32_t EntryCount() const { return n_; }
    // Source texts compared by all lookups so far (read by the benchmark).
    std::uint64_t Comparisons() const { return comparisons_.load(std::memory_order_relaxed); }
    bool ByteSwapped() const { return swap_; }

    // How many text domains hold this catalogue; kept by the locator.
    int UserCount = 0;

private:
    std::uint32_t Word(std::uint64_t at, bool* ok) const;
    // The text an 8-byte (length, offset) table entry names; false when the
    // entry or its text lies outside the catalogue.
    bool TableText(std::uint32_t table, std::uint32_t entry, std::string_view* text) const;

    std::unique_ptr<MappedFile> mapping_;
    const unsigned char* data_ = nullptr;  // the catalogue's first byte
    std::uint64_t available_ = 0;          // bytes readable from data_
    bool swap_ = false;
    std::uint32_t n_ = 0;
    std::uint32_t originals_ = 0;
    std::uint32_t translations_ = 0;
    std::uint32_t firstProbe_ = 0;
    std::uint32_t firstStride_ = 0;
    mutable std::atomic<std::uint64_t> comparisons_{0};  // lookups may run on any thread
};

} // namespace velt::i18n
