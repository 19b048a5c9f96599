// Resource numbers shared by the resource script and the window. The
// program's icon has the lowest number so that it is the file's icon too.
#pragma once

#define IDI_FALVORI 1
#define IDI_GLEICHMACHEN 2
