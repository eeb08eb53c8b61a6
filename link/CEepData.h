#pragma once

#include "link/LinkContext.h"
#include "link/ParameterImage.h"

namespace tavro {

// Accessor over the parameter image; any number of them view the same image.
class CEepData {
  public:
    using Cell = ParameterImage::Cell;

    explicit CEepData(LinkContext& ctx) : image_(ctx.image) {}
    explicit CEepData(ParameterImage& image) : image_(image) {}
    virtual ~CEepData() = default;

    Cell& Get(int group, int parameter) { return image_.Get(group, parameter); }
    float GetCell(int group, int parameter, int copy) {
        return image_.GetCell(group, parameter, copy);
    }
    void SetCell(int group, int parameter, float value, int copy) {
        image_.SetCell(group, parameter, value, copy);
    }
    bool IsModified(int group, int parameter) { return image_.IsModified(group, parameter); }
    CellOrigin Origin(int group, int parameter) const { return image_.Origin(group, parameter); }
    bool IsKnown(int group, int parameter) const { return image_.IsKnown(group, parameter); }
    void StoreRead(int group, int parameter, float value) {
        image_.StoreRead(group, parameter, value);
    }
    void Acknowledge(int group, int parameter) { image_.Acknowledge(group, parameter); }
    void SetDefault(int group, int parameter, float value) {
        image_.SetDefault(group, parameter, value);
    }
    void Discard(int group, int parameter) { image_.Discard(group, parameter); }

  private:
    ParameterImage& image_;
};

}  // namespace tavro
