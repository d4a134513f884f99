// The bank's character boxes: which characters of a password to type,
// chosen by position ("2 5 7") and counted the way the user counts them,
// one per letter in the password's own code page.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "core/text.h"

namespace velt {

// The positions typed are not numbers, or one is past the password's end.
class EPositionsError : public Exception { using Exception::Exception; };

// Positions typed as "2 5 7", "2,5,7" or "2, 5; 7", for a password of
// `length` characters: ascending, each once (the boxes are ticks, not an
// order). Nothing typed is no position. Throws EPositionsError.
std::vector<int> ParsePositions(std::string_view text, int length);

// The ticks back as text: "2 5 7".
std::string PositionsText(const std::vector<int>& positions);

// How many characters `password` (bytes in `page`) has.
int CharacterCount(std::string_view password, const AnsiCodePage& page);

// The characters at `positions` (1-based, within the count). The caller
// wipes the result.
std::u16string CharactersAt(std::string_view password, const std::vector<int>& positions, const AnsiCodePage& page);

} // namespace velt
