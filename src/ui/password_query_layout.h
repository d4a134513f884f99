// Geometry of the password prompt, computed from the dialog font's average
// character width X and height Y and from the heights the controls take.
#pragma once

namespace velt {

struct TPasswordQueryLayout {
    int clientWidth = 0;
    int labelLeft = 0, labelTop = 0, labelMaxWidth = 0;
    int editLeft = 0, editTop = 0, editWidth = 0;
    int checkLeft = 0, checkTop = 0, checkWidth = 0;
    int buttonTop = 0, buttonWidth = 0, buttonHeight = 0;
    int okLeft = 0, cancelLeft = 0;
    int clientHeight = 0;
};

// Heights the label (after wrapping), the password box and the check box
// take; the layout stacks the controls from them. A check height of 0: the
// prompt has no check box and the buttons follow the password box.
struct TPasswordQueryHeights {
    int label = 0;
    int edit = 0;
    int check = 0;
};

// Everything but the control heights is scaled with MulDiv from X and Y.
TPasswordQueryLayout ComputePasswordQueryLayout(int x, int y, const TPasswordQueryHeights& heights);

// The check box is not scaled.
constexpr int kAsteriskCheckWidth = 200;
// Longest password the box takes.
constexpr int kPasswordMaxLength = 255;

} // namespace velt
