// Messages in the user's language: English in the C locale, otherwise from
// the catalog "falvori" (po/). The core's texts are the window's German ones;
// they reach the catalog through English ids of their own.
#pragma once

#include <string>

// Marks a text for the catalog where it is kept untranslated until printed.
#define N_(text) text

namespace falvori {

// Messages and characters follow the locale, nothing else does (numbers in
// --check stay as scripts read them). The catalog lies in `programFolder`/locale
// in the build folder, else in `programFolder`/../share/locale.
void UseUsersLanguage(const std::string& programFolder);

// `msgid` from the catalog.
const char* _(const char* msgid);

// A text of the core or of this program in the user's language; any other
// text (the system's own) as it is.
std::string Translated(const std::string& text);

}  // namespace falvori
