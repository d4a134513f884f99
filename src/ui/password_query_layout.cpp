#include "ui/password_query_layout.h"

#include <windows.h>

namespace velt {

TPasswordQueryLayout ComputePasswordQueryLayout(int x, int y, const TPasswordQueryHeights& h) {
    TPasswordQueryLayout l;
    l.clientWidth = MulDiv(180, x, 4);
    l.labelLeft = MulDiv(8, x, 4);
    l.labelTop = MulDiv(8, y, 8);
    l.labelMaxWidth = MulDiv(164, x, 4);
    l.editLeft = l.labelLeft;
    l.editTop = l.labelTop + h.label + 5;
    l.editWidth = MulDiv(164, x, 4);
    l.checkLeft = l.labelLeft;
    l.checkTop = l.editTop + h.edit + 5;
    l.checkWidth = kAsteriskCheckWidth;
    l.buttonTop = (h.check > 0 ? l.checkTop + h.check : l.editTop + h.edit) + 15;
    l.buttonWidth = MulDiv(50, x, 4);
    l.buttonHeight = MulDiv(14, y, 8);
    l.okLeft = MulDiv(38, x, 4);
    l.cancelLeft = MulDiv(92, x, 4);
    l.clientHeight = l.buttonTop + l.buttonHeight + 13;
    return l;
}

} // namespace velt
