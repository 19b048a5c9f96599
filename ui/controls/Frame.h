// A plain box around controls that belong together; it takes no input.
#pragma once

#include "ui/controls/Control.h"

namespace falvori::ui {

class Frame : public Control {
public:
    bool Create(HWND parent, int id) { return CreateChild(parent, L"STATIC", L"", SS_ETCHEDFRAME | WS_GROUP, 0, id); }
};

}  // namespace falvori::ui
