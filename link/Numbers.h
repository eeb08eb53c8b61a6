#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number conversions with the C library's semantics that the protocol and the files rely on
// (atof, atoi, printf), made safe for any input and independent of the process locale.
namespace tavro {

// atof: leading white space skipped, optional sign, conversion stops at the first character
// that does not fit, no digits gives 0. Overflow gives +-HUGE_VAL as strtod does.
double Atof(std::string_view text);

// atoi with saturation at the int range instead of undefined behaviour.
int Atoi(std::string_view text);

// A decimal value as a 32-bit float; 0 for what a float cannot hold (overflow, infinity,
// NaN), rather than a value nothing downstream can use.
float FloatOrZero(double v);

// Truncation toward zero with saturation; NaN gives 0.
int TruncToInt(double v);
std::int64_t TruncToInt64(double v);

// printf into a std::string. Callers keep LC_NUMERIC at "C" (the application does so after
// the toolkit has set the user's locale), so "%.5f" always writes a decimal point.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tavro
