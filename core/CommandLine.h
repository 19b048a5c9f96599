// Taking the command line apart.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace falvori {

// Removes leading and trailing blanks (not TABs).
std::string Trim(std::string_view text);

// The first argument of text and the rest after the character that ended it.
// Only a blank outside double quotes separates; quotes do not become part of
// the argument; an unclosed quote runs to the end.
std::pair<std::string, std::string> ArgumentAbtrennen(std::string_view text);

}  // namespace falvori
