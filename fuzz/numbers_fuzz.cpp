// Arbitrary text through the number conversions the protocol and the files rely on, compared
// with the C library they stand in for, and through the version reading of "VE" replies.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "link/CStatusFlg.h"
#include "link/Numbers.h"

namespace {

using namespace tavro;

// The text as the C library sees it: up to the first NUL.
std::string CString(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

bool Hexadecimal(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) {
        ++i;
    }
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    // Hexadecimal floats are not decimal text; strtod reads them, the protocol does not.
    return i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
}

// An exponent of more than six digits: the C library's strtod gets some of these wrong
// (1e-40000000000000 with hundreds of mantissa digits reads as infinity).
bool HugeExponent(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != 'e' && s[i] != 'E') {
            continue;
        }
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        std::size_t digits = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            ++digits;
            ++j;
        }
        if (digits > 6) {
            return true;
        }
    }
    return false;
}

void CheckAtof(std::string_view text) {
    const double v = Atof(text);
    const std::string c = CString(text);
    if (Hexadecimal(c) || HugeExponent(c)) {
        return;
    }
    errno = 0;
    const double expected = std::strtod(c.c_str(), nullptr);
    if (std::isnan(expected)) {
        TAVRO_FUZZ_CHECK(std::isnan(v));
    } else if (errno == ERANGE && std::fabs(expected) < 1.0) {
        TAVRO_FUZZ_CHECK(std::fabs(v) <= std::numeric_limits<double>::min());  // underflow
    } else {
        TAVRO_FUZZ_CHECK(v == expected);
    }
}

void CheckAtoi(std::string_view text) {
    const std::string c = CString(text);
    errno = 0;
    const long long wide = std::strtoll(c.c_str(), nullptr, 10);
    const long long clamped = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : wide;
    TAVRO_FUZZ_CHECK(Atoi(text) == static_cast<int>(clamped));
}

void CheckTrunc(double d) {
    const int i = TruncToInt(d);
    const std::int64_t l = TruncToInt64(d);
    if (std::isnan(d)) {
        TAVRO_FUZZ_CHECK(i == 0 && l == 0);
        return;
    }
    const double t = std::trunc(d);
    if (t >= 2147483647.0) {
        TAVRO_FUZZ_CHECK(i == INT_MAX);
    } else if (t <= -2147483648.0) {
        TAVRO_FUZZ_CHECK(i == INT_MIN);
    } else {
        TAVRO_FUZZ_CHECK(static_cast<double>(i) == t);
    }
    if (t >= 9.2233720368547758e18) {
        TAVRO_FUZZ_CHECK(l == std::numeric_limits<std::int64_t>::max());
    } else if (t <= -9.2233720368547758e18) {
        TAVRO_FUZZ_CHECK(l == std::numeric_limits<std::int64_t>::min());
    } else {
        TAVRO_FUZZ_CHECK(static_cast<double>(l) == t);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckAtof(text);
    CheckAtoi(text);
    CheckTrunc(Atof(text));
    if (size >= sizeof(double)) {
        double d = 0.0;
        std::memcpy(&d, data, sizeof d);
        CheckTrunc(d);
        CheckTrunc(d * 1000.0 + 0.5);
    }

    // A "VE" reply's data: the version is a float that reads back as the text does, or 0
    // when a float cannot hold it; the controller check's rounding saturates.
    StatusBlock block;
    CStatusFlg status(block);
    status.SetVersionFromText(text);
    const float version = status.GetControllerVersion();
    TAVRO_FUZZ_CHECK(std::isfinite(version));
    const double read = Atof(text);
    if (std::isfinite(read) && std::fabs(read) <= std::numeric_limits<float>::max()) {
        TAVRO_FUZZ_CHECK(version == static_cast<float>(read));
    } else {
        TAVRO_FUZZ_CHECK(version == 0.0F);
    }
    CheckTrunc(read * 1000.0 + 0.5);
    return 0;
}
