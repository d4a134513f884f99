#include "import/code_page.h"

#include "core/text.h"

namespace velt::import {

std::size_t ImportCodePage::FitPrefix(std::string_view bytes, std::size_t limit) const {
    return bytes.size() < limit ? bytes.size() : limit;
}

bool Latin1CodePage::Append(std::u16string_view text, std::string& out) const {
    bool held = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c > 0xFF) {
            held = false;
            // A surrogate pair is one character: one "?".
            if (IsSurrogatePair(text, i)) ++i;
            c = u'?';
        }
        out.push_back(static_cast<char>(c));
    }
    return held;
}

} // namespace velt::import
