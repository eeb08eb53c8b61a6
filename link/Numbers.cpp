#include "link/Numbers.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace tavro {

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
        // Distinguish overflow from underflow by the exponent's size in the text.
        std::size_t j = i;
        while (j < text.size() && text[j] != 'e' && text[j] != 'E') {
            ++j;
        }
        const bool tiny = j + 1 < text.size() && text[j + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
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
