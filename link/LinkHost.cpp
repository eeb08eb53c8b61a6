#include "link/LinkHost.h"

namespace tavro {

std::string FoundIdCaption(int id, const std::string& factoryDefaultFormat) {
    constexpr int kFactoryDefaultId = 1;
    if (id != kFactoryDefaultId) {
        return std::to_string(id);
    }
    // The format comes from a string table; only its first "%d" is filled.
    std::string out;
    bool filled = false;
    for (std::size_t i = 0; i < factoryDefaultFormat.size(); ++i) {
        const char c = factoryDefaultFormat[i];
        if (c == '%' && i + 1 < factoryDefaultFormat.size()) {
            const char n = factoryDefaultFormat[i + 1];
            if (n == 'd' && !filled) {
                out += std::to_string(id);
                filled = true;
                ++i;
                continue;
            }
            if (n == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace tavro
