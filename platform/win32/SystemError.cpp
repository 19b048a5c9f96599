#include "platform/win32/SystemError.h"

#include <string>

#include "platform/win32/Utf.h"

namespace falvori {

Failure SystemFailure(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n > 0 && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    // The box must never be empty, even for a number the system cannot name.
    if (text.empty()) text = L"Fehler " + std::to_wstring(code);
    return {static_cast<int>(code), Narrow(text)};
}

}  // namespace falvori
