#include "link/Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace tavro {

namespace {

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number a double cannot hold: whether it is too large rather than too small, from
// the place of its first significant digit and its exponent (the text after it is not part
// of it).
bool TooLarge(std::string_view n) {
    std::size_t i = 0;
    long long integerDigits = 0;  // significant digits before the point
    long long leadingZeros = 0;   // zeros after the point before the first significant digit
    bool significant = false;
    for (; i < n.size() && Digit(n[i]); ++i) {
        if (n[i] != '0' || significant) {
            significant = true;
            ++integerDigits;
        }
    }
    if (i < n.size() && n[i] == '.') {
        for (++i; i < n.size() && Digit(n[i]); ++i) {
            if (!significant) {
                significant = n[i] != '0';
                leadingZeros += significant ? 0 : 1;
            }
        }
    }
    constexpr long long kExponentCap = 1000000000LL;
    long long exponent = 0;
    if (i < n.size() && (n[i] == 'e' || n[i] == 'E')) {
        ++i;
        const bool negative = i < n.size() && n[i] == '-';
        if (i < n.size() && (n[i] == '+' || n[i] == '-')) {
            ++i;
        }
        for (; i < n.size() && Digit(n[i]); ++i) {
            exponent = std::min(exponent * 10 + (n[i] - '0'), kExponentCap);
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    const long long place = integerDigits > 0 ? integerDigits - 1 : -leadingZeros - 1;
    return place + exponent >= 0;
}

}  // namespace

double Atof(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() ||
        !(std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.' || text[i] == 'i' ||
          text[i] == 'I' || text[i] == 'n' || text[i] == 'N')) {
        return 0.0;
    }
    double value = 0.0;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(begin, end, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        value = TooLarge(std::string_view(begin, static_cast<std::size_t>(res.ptr - begin)))
                    ? HUGE_VAL
                    : 0.0;
    } else if (res.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

int Atoi(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
        ++i;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

float FloatOrZero(double v) {
    if (!std::isfinite(v) ||
        std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
        return 0.0F;
    }
    return static_cast<float>(v);
}

int TruncToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 2147483647.0) {
        return INT_MAX;
    }
    if (v <= -2147483648.0) {
        return INT_MIN;
    }
    return static_cast<int>(v);
}

std::int64_t TruncToInt64(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 9.2233720368547748e18) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (v <= -9.2233720368547758e18) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(v);
}

std::string Format(const char* fmt, ...) {
    char small[256];
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(copy);
        return {};
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        va_end(copy);
        return std::string(small, static_cast<std::size_t>(n));
    }
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, copy);
    va_end(copy);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace tavro
