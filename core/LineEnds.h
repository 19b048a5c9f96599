// What a conversion makes of line ends. The stage that does it comes after
// the byte loop (WithLineEnds in ByteLoop.h) and only when asked, so that a
// plain conversion keeps its speed.
#pragma once

namespace falvori {

enum class LineEnds {
    Keep,  // as the table makes them
    CrLf,  // every CR LF, lone CR and lone LF becomes CR LF
    Cr,    // every CR LF, lone CR and lone LF becomes CR
};

}  // namespace falvori
