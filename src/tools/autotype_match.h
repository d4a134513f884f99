// Which entries belong to the window in front: those whose Name (3
// characters or more) stands as a whole word in its title, or whose address
// host (without "www.") is the title's host or its end after a dot, letter
// case aside. A page sets its own title, so a name inside another word
// ("Mail" in "Hotmail") must not count. Cells are bytes in the vault's code page; the title is
// compared in UTF-16 after the cells are widened with that code page.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace velt {

constexpr size_t kMinMatchLength = 3;

struct EntryText {
    std::string_view name;
    std::string_view address;
};

// "https://user@www.bank.example:443/login" -> "bank.example"; empty when
// there is none.
std::string_view AddressHost(std::string_view address);

// The indices of the entries that match `title`, in table order.
std::vector<size_t> MatchEntries(const std::vector<EntryText>& entries, std::u16string_view title,
                                 const AnsiCodePage& codePage);

} // namespace velt
