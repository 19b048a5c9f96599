#include "platform/win32/CommandLineText.h"

namespace falvori {

std::wstring StripProgramName(const wchar_t* commandLine) {
    if (!commandLine) return {};
    const wchar_t* p = commandLine;
    // Like the C runtime: a quote toggles quoting, and outside quotes the
    // name ends at the first blank or control character.
    bool quoted = false;
    while (*p && (quoted || *p > L' ')) {
        if (*p == L'"') quoted = !quoted;
        ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace falvori
