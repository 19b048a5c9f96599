#include "ui/controls/FolderPicture.h"

#include <initializer_list>

#include "ui/controls/GdiOwners.h"

namespace falvori::ui {

namespace {

constexpr COLORREF kOutline = RGB(128, 96, 0);
constexpr COLORREF kBack = RGB(232, 184, 56);
constexpr COLORREF kFront = RGB(255, 224, 128);

// The picture is designed on a 16 x 16 grid.
POINT At(const RECT& box, int x, int y) {
    int size = box.right - box.left;
    return POINT{box.left + MulDiv(x, size, 16), box.top + MulDiv(y, size, 16)};
}

void Shape(HDC dc, const RECT& box, COLORREF fill, std::initializer_list<POINT> grid) {
    POINT points[8];
    int count = 0;
    for (POINT p : grid) points[count++] = At(box, p.x, p.y);
    OwnedBrush brush(CreateSolidBrush(fill));
    SelectedObject useBrush(dc, brush.Get());
    Polygon(dc, points, count);
}

}  // namespace

void DrawFolderPicture(HDC dc, const RECT& box, bool open) {
    OwnedPen pen(CreatePen(PS_SOLID, 1, kOutline));
    SelectedObject usePen(dc, pen.Get());
    // Tab and back of the folder.
    Shape(dc, box, kBack, {{1, 3}, {6, 3}, {7, 4}, {14, 4}, {14, 14}, {1, 14}});
    if (open)
        Shape(dc, box, kFront, {{3, 7}, {16, 7}, {14, 14}, {1, 14}});
    else
        Shape(dc, box, kFront, {{1, 6}, {14, 6}, {14, 14}, {1, 14}});
}

}  // namespace falvori::ui
