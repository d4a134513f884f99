// The user's locale collation on Windows: CompareStringA(LOCALE_USER_DEFAULT,
// 0, ...) on the cells' ANSI bytes (Win32 builds only).
#pragma once
#include "vault/collation.h"

namespace velt {

class UserLocaleCollation final : public Collation {
public:
    // Takes the code page CompareStringA converts with for this locale.
    UserLocaleCollation();

    // CompareStringA itself.
    int Compare(std::string_view a, std::string_view b) const override;

    // For sorting: keys of primary weights (collation_keys.h) when the
    // locale's sort keys pass their check, leaving only texts with equal
    // letters to CompareStringA. Otherwise every text is widened once, with
    // the code page CompareStringA would use, and pairs are compared by
    // CompareStringW, which is what CompareStringA does after its own
    // conversion. Identical texts compare equal without a call.
    std::unique_ptr<CollationBatch> Prepare(const std::vector<std::string_view>& texts) const override;
    // Whether Prepare uses the keys in this locale.
    bool HasExactKeys() const;

    unsigned CodePage() const { return codePage_; }

private:
    unsigned codePage_;
};

} // namespace velt
