// The numeric value of a text as the table file is read: its leading decimal
// number, with blanks, TABs and line feeds ignored wherever they stand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace falvori {

// Reads a number one character at a time, so a line of any length needs only
// constant memory.
class NumberReader {
public:
    void Reset() { *this = NumberReader(); }
    void Feed(char c);
    void Feed(std::string_view text) {
        for (char c : text) Feed(c);
    }
    double Value() const;

private:
    enum class Phase { Start, Sign, Whole, Fraction, Done };
    Phase phase_ = Phase::Start;
    bool negative_ = false;
    std::string digits_;     // significant digits, at most as many as a double can use
    long long exponent_ = 0;  // the value is digits_ times ten to this power
};

double NumericValue(std::string_view text);

// Rounding as the table file needs it: to the nearest whole number, an exact
// half to the even neighbour. Empty when the result does not fit the type.
std::optional<std::uint8_t> ToByte(double value);
std::optional<std::int16_t> ToInt16(double value);
std::optional<long long> ToWhole(double value);

}  // namespace falvori
