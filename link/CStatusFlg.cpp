#include "link/CStatusFlg.h"

#include "link/Numbers.h"

namespace tavro {

namespace {

struct StrokeThrust {
    int stroke;
    float thrust;
};
constexpr StrokeThrust kThrustByStroke[] = {{10, 5.0F}, {20, 4.8F}, {30, 3.9F}, {50, 2.0F}};

// What each actuator series is: its position scale and its rated positioning repeatability
// (the Step page's help text states it: KRM3 ±0.09 mm, KRM3F ±0.005 mm, KRM3M ±0.02 mm).
struct SeriesFacts {
    int series;
    int scale;
    int repeatabilityUm;
};
constexpr SeriesFacts kSeriesFacts[] = {{1, 125, 5}, {2, 3000, 90}, {3, 500, 20}};

}  // namespace

float CStatusFlg::ThrustLimitForStroke(int stroke) {
    for (const auto& e : kThrustByStroke) {
        if (e.stroke == stroke) {
            return e.thrust;
        }
    }
    return 1.0F;
}

int CStatusFlg::ScaleForSeries(int series) {
    for (const auto& e : kSeriesFacts) {
        if (e.series == series) {
            return e.scale;
        }
    }
    return 0;
}

int CStatusFlg::RepeatabilityUmForSeries(int series) {
    for (const auto& e : kSeriesFacts) {
        if (e.series == series) {
            return e.repeatabilityUm;
        }
    }
    return 0;
}

void CStatusFlg::SetStroke(int i, int v) {
    s_.stroke[Idx(i)] = v;
    s_.thrustLimit[Idx(i)] = ThrustLimitForStroke(v);
}

void CStatusFlg::SetSeries(int i, int v) {
    s_.series[Idx(i)] = v;
    s_.seriesScale[Idx(i)] = ScaleForSeries(v);
}

void CStatusFlg::SetControlType(int v) {
    s_.controlType = v;
    s_.flags = static_cast<std::uint8_t>(s_.flags | kFlagTypeFromController);
}

void CStatusFlg::ClearTypeFromController() {
    s_.flags = static_cast<std::uint8_t>(s_.flags & ~kFlagTypeFromController);
}

void CStatusFlg::SetFlag(std::uint8_t bit) {
    s_.flags = static_cast<std::uint8_t>(s_.flags | bit);
}

void CStatusFlg::SetOriginDone(bool done) {
    if (done) {
        s_.flags = static_cast<std::uint8_t>(s_.flags | kFlagOriginDone);
    } else {
        s_.flags = static_cast<std::uint8_t>(s_.flags & ~kFlagOriginDone);
    }
}

float CStatusFlg::GetPosition(int clamp) const {
    float p = s_.currentPosition;
    if (clamp != 0) {
        const float top = static_cast<float>(s_.stroke[0]);
        if (p > top) {
            p = top;
        }
        if (p < 0.0F) {
            p = 0.0F;
        }
    }
    return p;
}

void CStatusFlg::SetVersionFromText(std::string_view text) {
    s_.controllerVersion = FloatOrZero(Atof(text));
}

}  // namespace tavro
