// The prompt's geometry from the font's X and Y.
#include "ui/password_query_layout.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

TEST(PasswordQueryLayout, ScalesFromCharacterSize) {
    struct Case {
        int x, y;
        TPasswordQueryHeights h;
        TPasswordQueryLayout want;
    } cases[] = {
        // X = 6, Y = 13: 270 wide, label at (12, 13), box 246 wide, buttons 75 x 23 at 57 and 138.
        {6, 13, {13, 21, 17},
         {270, 12, 13, 246, 12, 31, 246, 12, 57, 200, 89, 75, 23, 57, 138, 125}},
        // Halves round away from zero: 50 * 7 / 4 = 87.5, 38 * 7 / 4 = 66.5.
        {7, 16, {16, 24, 20},
         {315, 14, 16, 287, 14, 37, 287, 14, 66, 200, 101, 88, 28, 67, 161, 142}},
        // A label wrapped onto three lines pushes everything below it down.
        {6, 13, {39, 21, 17},
         {270, 12, 13, 246, 12, 57, 246, 12, 83, 200, 115, 75, 23, 57, 138, 151}},
        // No check box (the unlock prompt): the buttons follow the password box.
        {6, 13, {13, 21, 0},
         {270, 12, 13, 246, 12, 31, 246, 12, 57, 200, 67, 75, 23, 57, 138, 103}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "X=" << c.x << " Y=" << c.y << " label=" << c.h.label);
        TPasswordQueryLayout l = ComputePasswordQueryLayout(c.x, c.y, c.h);
        const TPasswordQueryLayout& w = c.want;
        EXPECT_EQ(w.clientWidth, l.clientWidth);
        EXPECT_EQ(w.labelLeft, l.labelLeft);
        EXPECT_EQ(w.labelTop, l.labelTop);
        EXPECT_EQ(w.labelMaxWidth, l.labelMaxWidth);
        EXPECT_EQ(w.editLeft, l.editLeft);
        EXPECT_EQ(w.editTop, l.editTop);
        EXPECT_EQ(w.editWidth, l.editWidth);
        EXPECT_EQ(w.checkLeft, l.checkLeft);
        EXPECT_EQ(w.checkTop, l.checkTop);
        EXPECT_EQ(w.checkWidth, l.checkWidth);
        EXPECT_EQ(w.buttonTop, l.buttonTop);
        EXPECT_EQ(w.buttonWidth, l.buttonWidth);
        EXPECT_EQ(w.buttonHeight, l.buttonHeight);
        EXPECT_EQ(w.okLeft, l.okLeft);
        EXPECT_EQ(w.cancelLeft, l.cancelLeft);
        EXPECT_EQ(w.clientHeight, l.clientHeight);
    }
}

} // namespace
} // namespace velt
