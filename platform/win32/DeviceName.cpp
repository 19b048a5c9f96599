#include "platform/win32/DeviceName.h"

#include <cwctype>

namespace falvori {

bool IsDeviceName(const std::wstring& leaf) {
    // The system looks at the part before the first dot or colon, blanks cut off.
    std::wstring base = leaf.substr(0, leaf.find_first_of(L".:"));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base) c = static_cast<wchar_t>(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' || digit == L'\u00b3';
}

}  // namespace falvori
