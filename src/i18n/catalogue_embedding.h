// Build-time handling of catalogues: restoring the compiled header, and
// appending a catalogue with its one-entry file table behind the last
// section of a PE image. Used by the catalogue build tool; portable, so it
// is tested on the host.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt::i18n {

using ByteVector = std::vector<unsigned char>;

// The end of the image's last section, max(PointerToRawData + SizeOfRawData)
// over the section table. Raises velt::Exception for a file that is no PE image.
std::uint64_t PeImageEnd(const ByteVector& exe);

struct EmbedLayout {
    std::uint64_t imageEnd;       // E
    std::uint64_t tablePosition;  // the first entry, written behind the marker
};

// Cuts `exe` back to its image end (dropping anything after it, such as a
// symbol table or an earlier embedding) and appends `payload` under `name`:
// the data padded with zeros to a multiple of 1024 bytes, then one table
// entry (Next, Offset, Size, the name padded with blanks to a multiple of
// 256 bytes) and the 8 zero bytes that end the table. The 8 bytes behind the
// one occurrence of `markerText` in the image receive the entry's position.
// Running it again on its own output gives the same file.
EmbedLayout EmbedFile(ByteVector& exe, std::string_view markerText, const ByteVector& payload, const std::string& name);

// The same with several files: their data one after the other (each padded
// to 1024 bytes), then one table entry each, in the order given, chained
// through Next, and the 8 zero bytes. tablePosition is the first entry.
struct EmbeddedPayload {
    std::string name;
    ByteVector data;
};
EmbedLayout EmbedFiles(ByteVector& exe, std::string_view markerText, const std::vector<EmbeddedPayload>& files);

// msgfmt drops the "POT-Creation-Date" header line, so the source spells it
// in lower case; this restores the spelling in the compiled catalogue.
void RestoreCreationDateField(ByteVector& mo);

} // namespace velt::i18n
