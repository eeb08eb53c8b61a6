// Arbitrary text as the connection settings file "MOTOR-PID.ini". Setting a key and reading
// it back gives what was set, every other key reads as before, setting it again changes
// nothing, and no number read is negative.
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "link/ProfileFile.h"

namespace {

using tavro::ProfileFile;

constexpr std::array<const char*, 7> kKeys = {"COM",    "BAUDRATE", "AUTO", "SLV_AUTO",
                                              "SLV_ST", "SLV_ED",   "PORT"};
constexpr std::array<const char*, 3> kSections = {"SERIAL", "serial", "OTHER"};

bool SameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A value as the tool writes one: a number, or a device path (one line, no surrounding
// blanks or quotes).
std::string ValueFrom(tavro::fuzz::ByteReader& in) {
    if (in.Flag()) {
        return std::to_string(static_cast<int>(in.Byte()) * 256 + in.Byte() - 1000);
    }
    std::string path = "/dev/";
    for (char c : in.Text(static_cast<std::size_t>(in.Below(24)))) {
        if (c >= 0x21 && c <= 0x7E && c != '"' && c != '\'') {
            path += c;
        }
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavro::fuzz::ByteReader in(data, size);
    const std::string section = kSections[static_cast<std::size_t>(in.Below(2))];
    const std::string key = kKeys[static_cast<std::size_t>(in.Below(7))];
    const std::string value = ValueFrom(in);
    const std::string_view content = in.Rest();

    const std::string after = ProfileFile::Replace(content, section, key, value);
    TAVRO_FUZZ_CHECK(ProfileFile::Lookup(after, section, key) == value);
    TAVRO_FUZZ_CHECK(ProfileFile::Replace(after, section, key, value) == after);
    for (const char* s : kSections) {
        for (const char* k : kKeys) {
            const std::optional<std::string> before = ProfileFile::Lookup(content, s, k);
            if (before) {
                // Negative numbers read as 0, as the profile functions return them.
                TAVRO_FUZZ_CHECK(ProfileFile::LeadingInt(*before) >= 0);
            }
            if (SameKey(s, section) && SameKey(k, key)) {
                continue;
            }
            TAVRO_FUZZ_CHECK(ProfileFile::Lookup(after, s, k) == before);
        }
    }
    return 0;
}
