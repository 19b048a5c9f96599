// UTF-8 (the core's texts) <-> UTF-16 (the wide-character API).
#pragma once

#include <string>
#include <string_view>

namespace falvori {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace falvori
