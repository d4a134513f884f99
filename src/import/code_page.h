// The vault's 8-bit code page as the importer needs it: text converted
// without best-fit guesses, with word of every character it cannot hold.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velt::import {

class ImportCodePage {
public:
    virtual ~ImportCodePage() = default;
    // Appends `text` in the code page to `out`, which has room reserved for
    // two bytes per UTF-16 unit more. A character the code page cannot hold
    // becomes "?" and makes the result false; no character is ever replaced
    // by a look-alike.
    virtual bool Append(std::u16string_view text, std::string& out) const = 0;
    // The length of the longest start of `bytes`, at most `limit`, that ends
    // on a character boundary.
    virtual std::size_t FitPrefix(std::string_view bytes, std::size_t limit) const;
};

// ISO 8859-1: U+0000..U+00FF as the byte of the same value (the host's
// stand-in for the system code page).
class Latin1CodePage final : public ImportCodePage {
public:
    bool Append(std::u16string_view text, std::string& out) const override;
};

} // namespace velt::import
