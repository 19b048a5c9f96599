// The one place the version is written; the resource script, the about box
// and the release archive all read it from here.
#pragma once

#define FALVORI_VERSION_MAJOR 1
#define FALVORI_VERSION_MINOR 0
#define FALVORI_VERSION_PATCH 0

#define FALVORI_STR2(x) #x
#define FALVORI_STR(x) FALVORI_STR2(x)
#define FALVORI_VERSION_TEXT \
    FALVORI_STR(FALVORI_VERSION_MAJOR) "." FALVORI_STR(FALVORI_VERSION_MINOR) "." FALVORI_STR(FALVORI_VERSION_PATCH)
#define FALVORI_COPYRIGHT_YEARS "2026"
#define FALVORI_RIGHTS_HOLDER "Falvori-Entwickler"
