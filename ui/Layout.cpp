#include "ui/Layout.h"

namespace falvori::ui {

RECT PixelRect(const Placement& placement, UINT dpi) {
    int left = placement.left;
    int top = placement.top;
    if (placement.inFrame) {
        for (const Placement& frame : kLayout)
            if (frame.id == kIdFraMW) {
                left += frame.left;
                top += frame.top;
            }
    }
    RECT r;
    r.left = TwipsToPixels(left, dpi);
    r.top = TwipsToPixels(top, dpi);
    r.right = r.left + TwipsToPixels(placement.width, dpi);
    r.bottom = r.top + TwipsToPixels(placement.height, dpi);
    return r;
}

}  // namespace falvori::ui
