#include "ui/bitbtn_kinds.h"

#include "core/string_ids.h"

namespace velt {

namespace {

// Modal results as the toolkit numbers them.
enum { kNone = 0, kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7, kAll = 8 };

const TBitBtnKindRow kRows[] = {
    /* bkCustom */ {false, false, kNone, nullptr, 0},
    /* bkOK     */ {true, false, kOk, "BBCOK", IDS_BTN_OK},
    /* bkCancel */ {false, true, kCancel, "BBCCANCEL", IDS_BTN_CANCEL},
    /* bkHelp   */ {false, false, kNone, "BBCHELP", IDS_BTN_HELP},
    /* bkYes    */ {true, false, kYes, "BBCYES", IDS_BTN_YES},
    /* bkNo     */ {false, true, kNo, "BBCNO", IDS_BTN_NO},
    /* bkClose  */ {false, false, kNone, "BBCCLOSE", IDS_BTN_CLOSE},
    /* bkAbort  */ {false, false, kAbort, "BBCABORT", IDS_BTN_ABORT},
    /* bkRetry  */ {false, false, kRetry, "BBCRETRY", IDS_BTN_RETRY},
    /* bkIgnore */ {false, false, kIgnore, "BBCIGNORE", IDS_BTN_IGNORE},
    /* bkAll    */ {false, false, kAll, "BBCALL", IDS_BTN_ALL},
};

} // namespace

const TBitBtnKindRow& KindRow(TBitBtnWithColorKind kind) {
    const int i = static_cast<int>(kind);
    return kRows[i >= 0 && i <= bkAll ? i : 0];
}

bool KindStillHolds(TBitBtnWithColorKind kind, bool isDefault, bool cancel, int modalResult,
                    bool userGlyph) {
    if (kind == bkCustom) return true;
    const TBitBtnKindRow& row = KindRow(kind);
    return !userGlyph && row.isDefault == isDefault && row.cancel == cancel &&
           row.modalResult == modalResult;
}

} // namespace velt
