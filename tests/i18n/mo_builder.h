// Builds small MO catalogues in memory for tests (little-endian, sorted,
// no hash table).
#pragma once
#include <map>
#include <string>

#include "i18n/memory_files.h"

namespace velt::i18n::test {

inline Bytes BuildMo(const std::map<std::string, std::string>& entries) {
    // std::map orders by bytewise comparison, as the format requires.
    std::uint32_t n = static_cast<std::uint32_t>(entries.size());
    Bytes mo;
    auto put = [&mo](std::uint32_t v) {
        for (int k = 0; k < 4; ++k) mo.push_back(static_cast<unsigned char>(v >> (8 * k)));
    };
    put(0x950412DE);
    put(0);
    put(n);
    put(28);
    put(28 + 8 * n);
    put(0);
    put(28 + 16 * n);
    std::uint32_t at = 28 + 16 * n;
    for (const auto& [source, translation] : entries) {
        put(static_cast<std::uint32_t>(source.size()));
        put(at);
        at += static_cast<std::uint32_t>(source.size()) + 1;
    }
    for (const auto& [source, translation] : entries) {
        put(static_cast<std::uint32_t>(translation.size()));
        put(at);
        at += static_cast<std::uint32_t>(translation.size()) + 1;
    }
    for (const auto& e : entries) {
        mo.insert(mo.end(), e.first.begin(), e.first.end());
        mo.push_back(0);
    }
    for (const auto& e : entries) {
        mo.insert(mo.end(), e.second.begin(), e.second.end());
        mo.push_back(0);
    }
    return mo;
}

inline void Append64(Bytes& b, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

// An "executable" of filler bytes with `files` appended and an embedded-file
// table behind them; *table receives the first entry's position.
inline Bytes ExecutableWithFiles(const std::map<std::string, Bytes>& files, std::uint64_t* table) {
    Bytes exe(1000, 0x90);
    std::map<std::string, std::uint64_t> offsets;
    for (const auto& [name, data] : files) {
        offsets[name] = exe.size();
        exe.insert(exe.end(), data.begin(), data.end());
    }
    *table = files.empty() ? 0 : exe.size();
    for (const auto& [name, data] : files) {
        Append64(exe, exe.size() + 24 + name.size());
        Append64(exe, offsets[name]);
        Append64(exe, data.size());
        exe.insert(exe.end(), name.begin(), name.end());
    }
    Append64(exe, 0);
    return exe;
}

} // namespace velt::i18n::test
