// The small folder pictures of the folder list, drawn to fit any size.
#pragma once

#include <windows.h>

namespace falvori::ui {

void DrawFolderPicture(HDC dc, const RECT& box, bool open);

}  // namespace falvori::ui
