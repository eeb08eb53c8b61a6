#pragma once

// The parameters that the operations take packed into one int, with their packing and
// unpacking in one place. The layouts are those the operation table has always used.
namespace tavro {

// A motion: step << 24 | SVON << 16 | DRIVE << 8 | speed. The step field also carries the
// jog direction (16 back, 17 away) and the return-to-origin choice.
struct MotionParam {
    int step = 0;
    bool svon = false;
    bool drive = false;
    int speed = 0;  // 0..255
};

inline constexpr int PackMotion(const MotionParam& m) {
    return static_cast<int>(((static_cast<unsigned>(m.step) & 0xFFU) << 24) |
                            ((m.svon ? 1U : 0U) << 16) | ((m.drive ? 1U : 0U) << 8) |
                            (static_cast<unsigned>(m.speed) & 0xFFU));
}

// The fields as bytes: a parameter from outside may hold any value in SVON and DRIVE, and
// the operations send those bytes as they are.
struct MotionFields {
    int step = 0;
    int svon = 0;
    int drive = 0;
    int speed = 0;
};

inline constexpr MotionFields UnpackMotion(int param) {
    const auto p = static_cast<unsigned>(param);
    return {static_cast<int>((p >> 24) & 0xFFU), static_cast<int>((p >> 16) & 0xFFU),
            static_cast<int>((p >> 8) & 0xFFU), static_cast<int>(p & 0xFFU)};
}

// A manual output: output index << 8 | state (index 4 with state 1 gives every output back to
// its function).
inline constexpr int PackManualOutput(int output, int state) {
    return static_cast<int>(((static_cast<unsigned>(output) & 0xFFU) << 8) |
                            (static_cast<unsigned>(state) & 0xFFU));
}
inline constexpr int kAllOutputsToFunctions = PackManualOutput(4, 1);

struct ManualOutput {
    int output = 0;
    int state = 0;
};

inline constexpr ManualOutput UnpackManualOutput(int param) {
    const auto p = static_cast<unsigned>(param);
    return {static_cast<int>((p >> 8) & 0xFFU), static_cast<int>(p & 0xFFU)};
}

// A range of controller IDs: first << 8 | last, as the search takes it and the settings keep it.
struct IdRange {
    int first = 0;
    int last = 0;
};

inline constexpr int PackIdRange(const IdRange& r) {
    return static_cast<int>(((static_cast<unsigned>(r.first) & 0xFFU) << 8) |
                            (static_cast<unsigned>(r.last) & 0xFFU));
}

inline constexpr IdRange UnpackIdRange(int packed) {
    const auto p = static_cast<unsigned>(packed);
    return {static_cast<int>((p >> 8) & 0xFFU), static_cast<int>(p & 0xFFU)};
}

// Where the step browser opens after an upload: combo control << 16 | item.
struct BrowseTarget {
    int combo = 0;
    int item = 0;
};

inline constexpr int PackBrowseTarget(const BrowseTarget& t) {
    return static_cast<int>(((static_cast<unsigned>(t.combo) & 0xFFFFU) << 16) |
                            (static_cast<unsigned>(t.item) & 0xFFFFU));
}

inline constexpr BrowseTarget UnpackBrowseTarget(int packed) {
    const auto p = static_cast<unsigned>(packed);
    return {static_cast<int>((p >> 16) & 0xFFFFU), static_cast<int>(p & 0xFFFFU)};
}

static_assert(PackMotion({3, true, true, 0}) == ((3 << 24) | 0x10100));
static_assert(UnpackMotion(PackMotion({17, true, false, 200})).step == 17);
static_assert(kAllOutputsToFunctions == 4 * 256 + 1);
static_assert(UnpackIdRange(PackIdRange({1, 16})).last == 16);

}  // namespace tavro
