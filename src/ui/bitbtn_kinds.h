// The predefined kinds of the coloured push button: each sets the caption,
// the glyph, the default/cancel roles and the modal result in one step.
#pragma once

namespace velt {

enum TBitBtnWithColorKind {
    bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll
};

struct TBitBtnKindRow {
    bool isDefault;
    bool cancel;
    int modalResult;          // mrNone..mrAll
    const char* glyphName;    // bitmap resource; null for bkCustom
    int captionId;            // string resource; 0 for bkCustom
};

// The row of a kind (bkCustom's row is all zero: it changes nothing).
const TBitBtnKindRow& KindRow(TBitBtnWithColorKind kind);

// Whether a button still is of `kind`: its roles and modal result match the
// kind's row and no glyph was assigned after the kind.
bool KindStillHolds(TBitBtnWithColorKind kind, bool isDefault, bool cancel, int modalResult,
                    bool userGlyph);

} // namespace velt
