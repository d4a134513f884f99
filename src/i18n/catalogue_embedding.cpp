#include "i18n/catalogue_embedding.h"

#include <algorithm>
#include <cstring>

#include "core/errors.h"

namespace velt::i18n {

namespace {

std::uint32_t Read(const ByteVector& b, std::uint64_t at, int bytes) {
    if (at + bytes > b.size()) throw Exception("The file is not a PE image (it ends inside its headers)");
    std::uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | b[at + k];
    return v;
}

void Write64(ByteVector& b, std::uint64_t at, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
}

void Append64(ByteVector& b, std::uint64_t v) {
    b.resize(b.size() + 8);
    Write64(b, b.size() - 8, v);
}

std::uint64_t RoundUp(std::uint64_t v, std::uint64_t unit) { return (v + unit - 1) / unit * unit; }

std::vector<std::uint64_t> FindAll(const ByteVector& b, std::uint64_t end, std::string_view text) {
    std::vector<std::uint64_t> at;
    auto first = b.begin(), last = b.begin() + static_cast<std::ptrdiff_t>(end);
    for (auto it = std::search(first, last, text.begin(), text.end()); it != last;
         it = std::search(it + 1, last, text.begin(), text.end()))
        at.push_back(static_cast<std::uint64_t>(it - first));
    return at;
}

} // namespace

std::uint64_t PeImageEnd(const ByteVector& exe) {
    if (Read(exe, 0, 2) != 0x5A4D) throw Exception("The file is not a PE image (no MZ header)");
    std::uint64_t pe = Read(exe, 0x3C, 4);
    if (Read(exe, pe, 4) != 0x00004550) throw Exception("The file is not a PE image (no PE signature)");
    std::uint32_t sections = Read(exe, pe + 6, 2);
    std::uint64_t table = pe + 24 + Read(exe, pe + 20, 2);
    std::uint64_t end = 0;
    for (std::uint32_t i = 0; i < sections; ++i) {
        std::uint64_t rawSize = Read(exe, table + 40 * i + 16, 4);
        std::uint64_t rawPointer = Read(exe, table + 40 * i + 20, 4);
        if (rawSize != 0) end = std::max(end, rawPointer + rawSize);
    }
    if (end == 0) throw Exception("The PE image has no section data");
    if (end > exe.size()) throw Exception("The PE image is shorter than its section table says");
    return end;
}

EmbedLayout EmbedFile(ByteVector& exe, std::string_view markerText, const ByteVector& payload, const std::string& name) {
    return EmbedFiles(exe, markerText, {{name, payload}});
}

EmbedLayout EmbedFiles(ByteVector& exe, std::string_view markerText, const std::vector<EmbeddedPayload>& files) {
    if (files.empty()) throw Exception("No file to embed");
    EmbedLayout layout{};
    layout.imageEnd = PeImageEnd(exe);
    std::vector<std::uint64_t> markers = FindAll(exe, layout.imageEnd, markerText);
    if (markers.size() != 1)
        throw Exception("The image holds the embedded-file marker " + std::to_string(markers.size()) +
                        " times; exactly one is needed");
    std::uint64_t marker = markers[0] + markerText.size();
    if (marker + 8 > layout.imageEnd) throw Exception("The embedded-file marker is cut off by the image end");

    // A symbol table behind the image goes: the pointer to it would dangle.
    std::uint64_t pe = Read(exe, 0x3C, 4);
    if (Read(exe, pe + 12, 4) >= layout.imageEnd) {
        std::memset(&exe[pe + 12], 0, 8);
    }
    exe.resize(layout.imageEnd);

    std::vector<std::uint64_t> dataAt;
    for (const EmbeddedPayload& f : files) {
        dataAt.push_back(exe.size());
        exe.insert(exe.end(), f.data.begin(), f.data.end());
        exe.resize(dataAt.back() + RoundUp(f.data.size(), 1024), 0);
    }
    layout.tablePosition = exe.size();
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i].name;
        std::uint64_t next = exe.size() + RoundUp(24 + name.size(), 256);
        Append64(exe, next);
        Append64(exe, dataAt[i]);
        Append64(exe, files[i].data.size());
        exe.insert(exe.end(), name.begin(), name.end());
        exe.resize(next, ' ');
    }
    Append64(exe, 0);

    Write64(exe, marker, layout.tablePosition);
    return layout;
}

void RestoreCreationDateField(ByteVector& mo) {
    static constexpr std::string_view kLower = "\npot-creation-date: ";
    static constexpr std::string_view kProper = "\nPOT-Creation-Date: ";
    std::vector<std::uint64_t> at = FindAll(mo, mo.size(), kLower);
    if (at.size() != 1) throw Exception("The catalogue's header has no single lower-case creation-date line");
    std::copy(kProper.begin(), kProper.end(), mo.begin() + static_cast<std::ptrdiff_t>(at[0]));
}

} // namespace velt::i18n
