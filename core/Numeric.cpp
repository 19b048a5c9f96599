#include "Numeric.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace falvori {

namespace {
// More significant digits than a double can tell apart.
constexpr std::size_t kKeptDigits = 40;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void NumberReader::feed(char c) {
    if (c == ' ' || c == '\t' || c == '\n' || phase_ == Phase::Done) return;
    switch (phase_) {
    case Phase::Start:
        if (c == '+' || c == '-') {
            negative_ = (c == '-');
            phase_ = Phase::Sign;
            return;
        }
        [[fallthrough]];
    case Phase::Sign:
    case Phase::Whole:
        if (isDigit(c)) {
            anyDigit_ = true;
            phase_ = Phase::Whole;
            if (c == '0' && digits_.empty()) return;  // leading zeros are not significant
            if (digits_.size() < kKeptDigits)
                digits_ += c;
            else
                ++extraWhole_;
        } else if (c == '.') {
            digits_ += '.';
            phase_ = Phase::Fraction;
        } else {
            phase_ = Phase::Done;
        }
        return;
    case Phase::Fraction:
        if (isDigit(c)) {
            anyDigit_ = true;
            if (digits_.size() < 2 * kKeptDigits) digits_ += c;
        } else {
            phase_ = Phase::Done;
        }
        return;
    case Phase::Done:
        return;
    }
}

double NumberReader::value() const {
    if (!anyDigit_) return 0.0;
    std::string text = digits_;
    if (text.empty() || text.front() == '.') text.insert(text.begin(), '0');
    if (text.back() == '.') text.pop_back();
    if (extraWhole_ > 0) {
        // Digits beyond the kept ones only scale the number.
        if (extraWhole_ > 400) return negative_ ? -HUGE_VAL : HUGE_VAL;
        text += 'e';
        text += std::to_string(extraWhole_);
    }
    double result = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) result = HUGE_VAL;
    return negative_ ? -result : result;
}

double NumericValue(std::string_view text) {
    NumberReader reader;
    reader.feed(text);
    return reader.value();
}

std::optional<long long> ToWhole(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9.0e15) return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<long long>(std::nearbyint(value));
}

std::optional<std::uint8_t> ToByte(double value) {
    auto whole = ToWhole(value);
    if (!whole || *whole < 0 || *whole > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*whole);
}

std::optional<std::int16_t> ToInt16(double value) {
    auto whole = ToWhole(value);
    if (!whole || *whole < std::numeric_limits<std::int16_t>::min() ||
        *whole > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(*whole);
}

}  // namespace falvori
