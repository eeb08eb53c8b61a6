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

  private:
    ParameterImage& image_;
};

}  // namespace tavro
