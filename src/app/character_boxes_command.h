// Additional > "Type password characters…": the bank's character boxes.
// Numbered boxes for the selected password's length, never its characters;
// the ticked ones are typed into the window the user came from.
#pragma once
#include <vector>

namespace velt {

struct CharacterChoice {
    std::vector<int> positions;  // 1-based, ascending
    bool tabAfterEach = false;
};

// Shows the boxes for a password of `length` characters, starting from
// `choice`; true when OK was pressed with at least one position chosen.
bool ChooseCharacters(int length, CharacterChoice& choice);

} // namespace velt
