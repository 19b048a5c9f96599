#include "core/Numeric.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace falvori {

namespace {
// More significant digits than a double can tell apart.
constexpr std::size_t kKeptDigits = 40;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void NumberReader::Feed(char c) {
    if (c == ' ' || c == '\t' || c == '\n' || phase_ == Phase::Done) return;
    if (phase_ == Phase::Start && (c == '+' || c == '-')) {
        negative_ = (c == '-');
        phase_ = Phase::Sign;
        return;
    }
    if (c == '.' && phase_ != Phase::Fraction) {
        phase_ = Phase::Fraction;
        return;
    }
    if (!isDigit(c)) {
        phase_ = Phase::Done;
        return;
    }
    const bool fraction = phase_ == Phase::Fraction;
    if (!fraction) phase_ = Phase::Whole;
    if (c == '0' && digits_.empty()) {
        // Leading zeros are not significant; after the point they scale.
        if (fraction) --exponent_;
        return;
    }
    if (digits_.size() < kKeptDigits) {
        digits_ += c;
        if (fraction) --exponent_;
    } else if (!fraction) {
        ++exponent_;  // a whole-number digit beyond those kept
    }
}

double NumberReader::Value() const {
    if (digits_.empty()) return 0.0;
    const std::string text = digits_ + 'e' + std::to_string(exponent_);
    double result = 0.0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) result = exponent_ > 0 ? HUGE_VAL : 0.0;
    return negative_ ? -result : result;
}

double NumericValue(std::string_view text) {
    NumberReader reader;
    reader.Feed(text);
    return reader.Value();
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
