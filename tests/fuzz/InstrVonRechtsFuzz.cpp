// InstrVonRechts against rfind, for narrow and wide texts. The first byte
// chooses the length of the sought text and whether the searched text is
// repeated past 32767 characters, where a position no longer fits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/InstrVonRechts.h"
#include "tests/fuzz/FuzzCheck.h"

using falvori::InstrVonRechts;

namespace {

// 1-based position of the last occurrence; an empty sought text counts as
// found at the last character, and nothing in an empty text.
std::size_t Expected(const std::string& searched, const std::string& sought) {
    if (sought.empty()) return searched.size();
    const auto found = searched.rfind(sought);
    return found == std::string::npos ? 0 : found + 1;
}

template <class String>
void Check(const String& searched, const String& sought, std::size_t expected) {
    if (expected > 32767) {
        bool overflow = false;
        try {
            InstrVonRechts(searched, sought);
        } catch (const std::overflow_error&) {
            overflow = true;
        }
        FUZZ_CHECK(overflow);
    } else {
        FUZZ_CHECK(InstrVonRechts(searched, sought) == static_cast<short>(expected));
    }
}

template <class String>
String Widened(const std::string& text) {
    String wide;
    for (unsigned char c : text) wide += static_cast<typename String::value_type>(c);
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t soughtLength = std::min<std::size_t>(control & 7, rest.size());
    const std::string sought = rest.substr(0, soughtLength);
    std::string searched = rest.substr(soughtLength);
    if ((control & 0x80) && !searched.empty()) {
        // Around the 16-bit limit: repeated to 32760 + 0..15 characters.
        const std::size_t target = 32760 + ((control >> 3) & 15);
        const std::string unit = searched;
        while (searched.size() < target) searched += unit;
        searched.resize(target);
    }

    const std::size_t expected = Expected(searched, sought);
    Check(searched, sought, expected);
    Check(std::string_view(searched), std::string_view(sought), expected);
    Check(Widened<std::wstring>(searched), Widened<std::wstring>(sought), expected);
    Check(Widened<std::u16string>(searched), Widened<std::u16string>(sought), expected);
    return 0;
}
