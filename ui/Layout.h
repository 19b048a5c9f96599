// Where every control of the main window sits, in twips (1/1440 inch), in
// tab order. The window converts this table once per DPI.
#pragma once

#include <windows.h>

namespace falvori::ui {

enum ControlId : int {
    kIdLstLaufwerk1 = 101,
    kIdLstOrdner1,
    kIdLstDateien1,
    kIdBtnGleichmachen,
    kIdOptMacWin,
    kIdOptWinMac,
    kIdLstLaufwerk2,
    kIdLstOrdner2,
    kIdLstDateien2,
    kIdFraMW,
    kIdTxtDatei2,
    kIdBtnLos,
};

inline constexpr UINT_PTR kIdTimFertig = 1;

inline constexpr int kClientWidth = 5160;
inline constexpr int kClientHeight = 5685;

struct Placement {
    int id;
    int left, top, width, height;
    bool inFrame;       // left and top count from the frame's corner
    int openLines = 0;  // a drop-down list: lines its open list shows
};

inline constexpr Placement kLayout[] = {
    {kIdLstLaufwerk1, 120, 120, 2172, 288, false, 12},
    {kIdLstOrdner1, 120, 480, 2172, 1800, false},
    {kIdLstDateien1, 2400, 120, 2652, 2040, false},
    {kIdBtnGleichmachen, 120, 2400, 492, 492, false},
    {kIdOptMacWin, 720, 240, 1332, 252, true},
    {kIdOptWinMac, 2520, 240, 1452, 252, true},
    {kIdLstLaufwerk2, 120, 3000, 2172, 288, false, 12},
    {kIdLstOrdner2, 120, 3360, 2172, 1800, false},
    {kIdLstDateien2, 2400, 3000, 2652, 2040, false},
    {kIdFraMW, 720, 2280, 4332, 612, false},
    {kIdTxtDatei2, 120, 5280, 4332, 288, false},
    {kIdBtnLos, 4548, 5280, 492, 312, false},
};

inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

// The control's rectangle in client pixels at dpi.
RECT PixelRect(const Placement& placement, UINT dpi);

}  // namespace falvori::ui
