#include "app/controls.h"

namespace velt {

const ClassInfo& TLeaveNotifyGrid::StaticClass() {
    static const ClassInfo info("TLeaveNotifyGrid", &TStringGrid::StaticClass(), {});
    return info;
}

const ClassInfo& TCellEdit::StaticClass() {
    static const ClassInfo info("TCellEdit", &TEdit::StaticClass(), {});
    return info;
}

} // namespace velt
