// Copies of a secret left in the process's own memory, for the tests that
// prove a password is gone once it is no longer needed.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace velt::test {

constexpr unsigned char kKey = 0x5A;

// A password held XORed with kKey, so that the test keeps no plain copy of
// its own for the scan to find.
struct Disguised {
    std::vector<unsigned char> bytes;
    size_t Size() const { return bytes.size(); }
    unsigned char At(size_t i) const { return static_cast<unsigned char>(bytes[i] ^ kKey); }
};

struct Copies {
    int ansi = 0;
    int utf16 = 0;
};

inline bool Readable(const MEMORY_BASIC_INFORMATION& m) {
    if (m.State != MEM_COMMIT || (m.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
    return (m.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

inline bool MatchesAt(const unsigned char* p, const Disguised& text, size_t stride) {
    for (size_t j = 0; j < text.Size(); ++j) {
        if (p[j * stride] != text.At(j)) return false;
        if (stride == 2 && p[j * 2 + 1] != 0) return false;
    }
    return true;
}

// Every copy of the text, 8-bit or UTF-16, in the process's committed memory.
inline Copies CountInOwnMemory(const Disguised& text) {
    Copies found;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const auto end = reinterpret_cast<uintptr_t>(info.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION m;
    for (uintptr_t a = reinterpret_cast<uintptr_t>(info.lpMinimumApplicationAddress);
         a < end && VirtualQuery(reinterpret_cast<void*>(a), &m, sizeof m) == sizeof m;
         a = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize) {
        if (!Readable(m)) continue;
        const auto* base = static_cast<const unsigned char*>(m.BaseAddress);
        const unsigned char first = text.At(0);
        for (size_t i = 0; i + text.Size() <= m.RegionSize; ++i) {
            if (base[i] != first) continue;
            if (MatchesAt(base + i, text, 1)) ++found.ansi;
            if (i + text.Size() * 2 <= m.RegionSize && MatchesAt(base + i, text, 2)) ++found.utf16;
        }
    }
    return found;
}

} // namespace velt::test
