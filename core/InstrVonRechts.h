// The last occurrence of one text in another, searched from the right. The
// window uses it to split a dropped path at its last separator; it works for
// any string type with size() and operator[] (std::string, std::wstring, ...).
#pragma once

#include <cstddef>
#include <stdexcept>

namespace falvori {

// The 1-based position at which the last occurrence of gesuchteZeichen in
// durchsuchterString begins, or 0 when there is none. An empty sought text
// matches at once, at the last character. A position beyond 32767 does not
// fit the result: that is an overflow (std::overflow_error), never a wrapped
// or clipped position.
template <class String>
short InstrVonRechts(const String& durchsuchterString, const String& gesuchteZeichen) {
    const std::size_t laenge = durchsuchterString.size();
    const std::size_t gesucht = gesuchteZeichen.size();
    std::size_t p = laenge;
    for (; p >= 1; --p) {
        // The part from p on is shorter than the sought text: no match there.
        if (laenge - (p - 1) < gesucht) continue;
        std::size_t i = 0;
        while (i < gesucht && durchsuchterString[p - 1 + i] == gesuchteZeichen[i]) ++i;
        if (i == gesucht) break;
    }
    if (p > 32767) throw std::overflow_error("InstrVonRechts: position beyond 32767");
    return static_cast<short>(p);
}

}  // namespace falvori
