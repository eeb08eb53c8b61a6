#include "stepdata/CPidParam.h"

#include "link/CIniRw.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

constexpr PidCell N{false, 0.0F};  // no figure known
constexpr PidCell Z{true, 0.0F};
constexpr PidCell V(float v) {
    return {true, v};
}

// Combinations of model and stroke index a model does not have; their entries are 0.
// No model has stroke indices 4 and 5.
struct Combo {
    int model;
    int strokeIndex;
};
constexpr Combo kMissingCombos[] = {{0, 3}, {2, 0}, {2, 1}, {2, 2}};
constexpr int kFirstMissingStrokeIndex = 4;

constexpr bool IsMissingCombo(int entry) {
    const int model = entry / 24;
    const int strokeIndex = (entry % 12) / 2;
    if (strokeIndex >= kFirstMissingStrokeIndex) {
        return true;
    }
    for (const Combo& c : kMissingCombos) {
        if (c.model == model && c.strokeIndex == strokeIndex) {
            return true;
        }
    }
    return false;
}

// Sections 1 and 2: no figures are known beyond the zeros of the missing combinations.
constexpr CPidParam::BuiltinArray ZerosWhereMissing() {
    CPidParam::BuiltinArray a{};
    for (int i = 0; i < PidDefaults::kEntries; ++i) {
        a[static_cast<std::size_t>(i)] = IsMissingCombo(i) ? Z : N;
    }
    return a;
}

// Section 3, one line per model and purpose: stroke indices 0..5, horizontal then vertical.
// clang-format off
constexpr CPidParam::BuiltinArray kKp = {
    // model 0 (standard), return to origin
    V(104.2F), V(89.9F), V(148.3F), V(149.6F), V(206.4F), V(206.7F), Z, Z, Z, Z, Z, Z,
    // model 0, step-data operation
    V(104.2F), V(134.8F), V(148.3F), V(149.6F), V(206.4F), V(413.3F), Z, Z, Z, Z, Z, Z,
    // model 1 (F type), return to origin
    N, N, N, N, N, N, N, N, Z, Z, Z, Z,
    // model 1, step-data operation
    V(160.4F), V(98.3F), V(360.2F), V(348.6F), V(473.8F), V(811.2F), V(600.0F), V(600.0F),
    Z, Z, Z, Z,
    // model 2 (M type), return to origin
    Z, Z, Z, Z, Z, Z, V(600.0F), V(600.0F), Z, Z, Z, Z,
    // model 2, step-data operation
    Z, Z, Z, Z, Z, Z, V(600.0F), V(600.0F), Z, Z, Z, Z,
};

constexpr CPidParam::BuiltinArray kTi = {
    V(0.03F), V(0.025F), V(0.031F), V(0.031F), V(0.039F), V(0.039F), Z, Z, Z, Z, Z, Z,
    V(0.03F), V(0.025F), V(0.031F), V(0.031F), V(0.039F), V(0.039F), Z, Z, Z, Z, Z, Z,
    N, N, N, N, N, N, N, N, Z, Z, Z, Z,
    V(0.009F), V(0.009F), V(0.029F), V(0.029F), V(0.03F), V(0.03F), V(0.015F), V(0.015F),
    Z, Z, Z, Z,
    Z, Z, Z, Z, Z, Z, V(0.01F), V(0.01F), Z, Z, Z, Z,
    Z, Z, Z, Z, Z, Z, V(0.01F), V(0.01F), Z, Z, Z, Z,
};

constexpr CPidParam::BuiltinArray kTd = {
    V(0.006F), V(0.0051F), V(0.0061F), V(0.0061F), V(0.0078F), V(0.0078F), Z, Z, Z, Z, Z, Z,
    V(0.006F), V(0.0051F), V(0.0061F), V(0.0061F), V(0.0078F), V(0.0078F), Z, Z, Z, Z, Z, Z,
    N, N, N, N, N, N, N, N, Z, Z, Z, Z,
    V(0.0062F), V(0.0106F), V(0.0057F), V(0.0048F), V(0.006F), V(0.0042F), V(0.01F), V(0.01F),
    Z, Z, Z, Z,
    Z, Z, Z, Z, Z, Z, V(0.01F), V(0.01F), Z, Z, Z, Z,
    Z, Z, Z, Z, Z, Z, V(0.01F), V(0.01F), Z, Z, Z, Z,
};
// clang-format on

constexpr CPidParam::BuiltinTable kBuiltin = [] {
    CPidParam::BuiltinTable table{};
    for (std::size_t a = 0; a < PidDefaults::kSection1Params + PidDefaults::kSection2Params; ++a) {
        table[a] = ZerosWhereMissing();
    }
    table[12] = kKp;
    table[13] = kTi;
    table[14] = kTd;
    return table;
}();

struct KeyPair {
    float value;
    int index;
};
constexpr KeyPair kModelKeys[] = {{2.0F, 0}, {1.0F, 1}, {3.0F, 2}};
constexpr KeyPair kStrokeKeys[] = {{10.0F, 0}, {20.0F, 1}, {30.0F, 2},
                                   {50.0F, 3}, {75.0F, 4}, {100.0F, 5}};
constexpr KeyPair kOrientationKeys[] = {{0.0F, 0}, {90.0F, 1}};

template <std::size_t N>
int Lookup(const KeyPair (&pairs)[N], float value) {
    for (const KeyPair& p : pairs) {
        if (p.value == value) {
            return p.index;
        }
    }
    return 0;
}

// Key cells in image row 0.
constexpr int kStrokeCell = 0;
constexpr int kSeriesCell = 1;
constexpr int kOrientationCell = 10;

// Where runs of the default record go in the image.
struct Placement {
    int group;
    int firstCell;
    int firstValue;
    int count;
};
constexpr Placement kPlacements[] = {
    {1, 1, 0, 6},    // section 1, return to origin
    {1, 7, 12, 6},   // section 2, return to origin
    {1, 13, 24, 3},  // Kp, Ti, Td of return to origin
    {2, 0, 6, 6},    // section 1, step-data operation
    {2, 6, 18, 6},   // section 2, step-data operation
};
// Every one of the 15 step PID sets (2/12..2/56) gets the step-data Kp, Ti, Td.
constexpr int kPidSets = 15;
constexpr int kFirstPidSetCell = 12;
constexpr int kStepGainsValue = 27;
constexpr int kOriginPidSetCell = 17;  // 1/17: the set return to origin uses
constexpr int kStepOffset = 12;        // step-data operation entries follow return to origin
constexpr int kMaxKeyIndex = PidDefaults::kEntries - 1 - kStepOffset;

}  // namespace

const CPidParam::BuiltinTable& CPidParam::Builtin() {
    return kBuiltin;
}

int CPidParam::ModelIndex(float series) {
    return Lookup(kModelKeys, series);
}

int CPidParam::StrokeIndex(float stroke) {
    return Lookup(kStrokeKeys, stroke);
}

int CPidParam::OrientationIndex(float angle) {
    return Lookup(kOrientationKeys, angle);
}

bool CPidParam::LoadPidFile() {
    const bool ok = CIniRw(ctx_).ReadPidFile(ctx_.pidFile);
    ctx_.status.gainFileLoaded = ok ? 1 : 0;
    return ok;
}

CPidParam::Record CPidParam::DefaultRecord(int index) const {
    Record r{};
    if (index < 0 || index > kMaxKeyIndex) {
        index = 0;
    }
    const auto origin = static_cast<std::size_t>(index);
    const auto step = static_cast<std::size_t>(index + kStepOffset);
    const std::size_t entries[2] = {origin, step};
    if (ctx_.status.gainFileLoaded != 0) {
        const PidDefaults& f = ctx_.pidFile;
        for (std::size_t purpose = 0; purpose < 2; ++purpose) {
            const std::size_t e = entries[purpose];
            for (std::size_t p = 0; p < 6; ++p) {
                r[purpose * 6 + p] = f.section1[p][e];
                r[12 + purpose * 6 + p] = static_cast<float>(f.section2[p][e]);
            }
            for (std::size_t p = 0; p < 3; ++p) {
                r[24 + purpose * 3 + p] = f.section3[p][e];
            }
        }
        return r;
    }
    const auto take = [](const PidCell& c) -> std::optional<float> {
        return c.known ? std::optional<float>(c.value) : std::nullopt;
    };
    for (std::size_t purpose = 0; purpose < 2; ++purpose) {
        const std::size_t e = entries[purpose];
        for (std::size_t p = 0; p < 6; ++p) {
            r[purpose * 6 + p] = take(kBuiltin[p][e]);
            r[12 + purpose * 6 + p] = take(kBuiltin[6 + p][e]);
        }
        for (std::size_t p = 0; p < 3; ++p) {
            r[24 + purpose * 3 + p] = take(kBuiltin[12 + p][e]);
        }
    }
    return r;
}

void CPidParam::ResetPidToDefaults() {
    ParameterImage& image = ctx_.image;
    constexpr int kEdit = ParameterImage::kEditCopy;
    const int model = ModelIndex(image.GetCell(0, kSeriesCell, kEdit));
    const int stroke = StrokeIndex(image.GetCell(0, kStrokeCell, kEdit));
    const int orientation = OrientationIndex(image.GetCell(0, kOrientationCell, kEdit));
    const Record r = DefaultRecord(model * 24 + stroke * 2 + orientation);

    const auto put = [&image](int group, int cell, const std::optional<float>& v) {
        if (v) {
            image.SetDefault(group, cell, *v);
        }
    };
    for (const Placement& p : kPlacements) {
        for (int i = 0; i < p.count; ++i) {
            put(p.group, p.firstCell + i, r[static_cast<std::size_t>(p.firstValue + i)]);
        }
    }
    for (int set = 0; set < kPidSets; ++set) {
        for (int i = 0; i < 3; ++i) {
            put(2, kFirstPidSetCell + 3 * set + i,
                r[static_cast<std::size_t>(kStepGainsValue + i)]);
        }
    }
    image.SetDefault(1, kOriginPidSetCell, 0.0F);
    for (int n = 0; n < kStepsInStepType; ++n) {
        image.SetDefault(StepImageRow(n), kCellPidSetNo, 0.0F);
    }
}

}  // namespace tavro
