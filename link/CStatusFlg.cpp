#include "link/CStatusFlg.h"

#include "link/Numbers.h"
#include "product/Product.h"

namespace tavro {

float CStatusFlg::ThrustLimitForStroke(int stroke) {
    const product::StrokeFacts* f = product::FindStroke(stroke);
    return f != nullptr ? f->maxThrust : 1.0F;
}

int CStatusFlg::ScaleForSeries(int series) {
    const product::SeriesFacts* f = product::FindSeries(series);
    return f != nullptr ? f->positionScale : 0;
}

int CStatusFlg::RepeatabilityUmForSeries(int series) {
    const product::SeriesFacts* f = product::FindSeries(series);
    return f != nullptr ? f->repeatabilityUm : 0;
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
