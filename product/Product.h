#pragma once

#include <array>
#include <cstddef>

// What the tool knows of each actuator series and stroke: the one table the pages, the
// command-line tool and the simulator read.
namespace tavro::product {

// The series as the controller stores it (parameter 0/1).
enum class Series : int { kNone = 0, kF = 1, kStandard = 2, kM = 3 };

inline constexpr int Code(Series s) {
    return static_cast<int>(s);
}

struct SeriesFacts {
    Series series;
    int comboIndex;              // item of the series combo boxes; "Select" is 0
    int nameId;                  // string ID of the series' name (904..906)
    std::array<int, 4> strokes;  // offered on the Basic Parameter Setup page; 0 ends the list
    int positionScale;           // monitor position counts per millimetre
    int positionStepUm;          // step of the position spins
    int inchingMinimumUm;
    float defaultInPositionUm;  // written to every step when the product changes
    int repeatabilityUm;        // rated positioning repeatability, ± this
};

// In the order of the controller's codes.
inline constexpr std::array<SeriesFacts, 3> kSeries = {{
    {Series::kF, 2, 905, {10, 20, 30, 50}, 125, 5, 5, 50.0F, 5},
    {Series::kStandard, 1, 904, {10, 20, 30, 0}, 3000, 30, 90, 300.0F, 90},
    {Series::kM, 3, 906, {50, 0, 0, 0}, 500, 5, 5, 100.0F, 20},
}};

// nullptr for a code that is no series.
inline constexpr const SeriesFacts* FindSeries(int code) {
    for (const SeriesFacts& f : kSeries) {
        if (Code(f.series) == code) {
            return &f;
        }
    }
    return nullptr;
}

// Without a pointer: GCC's sanitizers take a compared pointer for no constant expression.
inline constexpr int ComboIndex(Series s) {
    for (const SeriesFacts& f : kSeries) {
        if (f.series == s) {
            return f.comboIndex;
        }
    }
    return 0;
}

// The series code of each combo item ("Select" holds 0); the list is its own inverse.
inline constexpr std::array<int, kSeries.size() + 1> SeriesCodeOfComboIndex() {
    std::array<int, kSeries.size() + 1> out{};
    for (const SeriesFacts& f : kSeries) {
        out[static_cast<std::size_t>(f.comboIndex)] = Code(f.series);
    }
    return out;
}

inline constexpr bool OffersStroke(int code, int stroke) {
    const SeriesFacts* f = FindSeries(code);
    if (f == nullptr || stroke <= 0) {
        return false;
    }
    for (const int s : f->strokes) {
        if (s == stroke) {
            return true;
        }
    }
    return false;
}

struct StrokeFacts {
    int stroke;       // mm
    int comboIndex;   // item of the stroke combo boxes; "Select" is 0
    float maxThrust;  // the force limit for this stroke
};

inline constexpr std::array<StrokeFacts, 4> kStrokes = {{
    {10, 1, 5.0F},
    {20, 2, 4.8F},
    {30, 3, 3.9F},
    {50, 4, 2.0F},
}};

inline constexpr const StrokeFacts* FindStroke(int stroke) {
    for (const StrokeFacts& f : kStrokes) {
        if (f.stroke == stroke) {
            return &f;
        }
    }
    return nullptr;
}

static_assert(SeriesCodeOfComboIndex()[0] == 0 && SeriesCodeOfComboIndex()[1] == 2 &&
                  SeriesCodeOfComboIndex()[2] == 1 && SeriesCodeOfComboIndex()[3] == 3,
              "the series combo lists standard, F, M after Select");

}  // namespace tavro::product
