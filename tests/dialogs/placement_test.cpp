// Where a dialog goes: centred over its owner on each axis where the owner can
// frame it, over the screen elsewhere, and kept on the screen.
#include <gtest/gtest.h>

#include "dialogs/placement.h"

namespace {

struct PlacementCase {
    const char* what;
    RECT dialog;
    RECT owner;
    int screenWidth;
    int screenHeight;
    LONG x;
    LONG y;
};

// A 400 x 200 dialog unless the case says otherwise; the screen is 1024 x 768.
const PlacementCase placementCases[] = {
    {"owner larger than the dialog", {0, 0, 400, 200}, {100, 50, 700, 450}, 1024, 768, 200, 150},
    {"dialog rectangle not at the origin", {22, 50, 422, 250}, {100, 50, 700, 450}, 1024, 768, 200, 150},
    {"odd differences truncate", {0, 0, 400, 200}, {100, 50, 701, 451}, 1024, 768, 200, 150},
    {"owner as wide and high as the dialog", {0, 0, 400, 200}, {10, 30, 410, 230}, 1024, 768, 10, 30},
    {"owner narrower than the dialog", {0, 0, 400, 200}, {100, 50, 399, 450}, 1024, 768, 312, 150},
    {"owner shorter than the dialog", {0, 0, 400, 200}, {100, 50, 700, 249}, 1024, 768, 200, 284},
    {"owner wider than the screen", {0, 0, 400, 200}, {-100, 50, 925, 450}, 1024, 768, 312, 150},
    {"owner taller than the screen", {0, 0, 400, 200}, {100, -10, 700, 759}, 1024, 768, 200, 284},
    {"owner off the left edge", {0, 0, 400, 200}, {-700, 50, -100, 450}, 1024, 768, 0, 150},
    {"owner off the right edge", {0, 0, 400, 200}, {900, 50, 1500, 450}, 1024, 768, 624, 150},
    {"owner off the top edge", {0, 0, 400, 200}, {100, -390, 700, 10}, 1024, 768, 200, 0},
    {"owner off the bottom edge", {0, 0, 400, 200}, {100, 700, 700, 1100}, 1024, 768, 200, 568},
    {"owner larger than the screen", {0, 0, 400, 200}, {-50, -50, 1100, 850}, 1024, 768, 312, 284},
    {"no owner (empty rectangle)", {0, 0, 400, 200}, {0, 0, 0, 0}, 1024, 768, 312, 284},
    {"screen reported as 0 x 0, no owner", {0, 0, 400, 200}, {0, 0, 0, 0}, 0, 0, 120, 140},
    {"screen 0 x 0: owner framed by 640 x 480", {0, 0, 400, 200}, {10, 10, 610, 410}, 0, 0, 110, 110},
    {"screen 0 x 0: owner wider than 640", {0, 0, 400, 200}, {0, 0, 700, 300}, 0, 0, 120, 50},
    {"screen width 0 only", {0, 0, 400, 200}, {0, 0, 0, 0}, 0, 768, 120, 284},
    {"screen height 0 only", {0, 0, 400, 200}, {0, 0, 0, 0}, 1024, 0, 312, 140},
    {"dialog larger than the screen", {0, 0, 800, 600}, {0, 0, 0, 0}, 640, 480, 0, 0},
};

TEST(Placement, CentredPositionTable)
{
    for (const PlacementCase& c : placementCases) {
        const POINT position = CentredPosition(c.dialog, c.owner, c.screenWidth, c.screenHeight);
        EXPECT_EQ(position.x, c.x) << c.what;
        EXPECT_EQ(position.y, c.y) << c.what;
    }
}

}  // namespace
