#pragma once

#include <memory>

#include "ui/Form.h"

namespace tavro::ui {

// Creates the form of a dialog template (200, 157, 202, 210..214, ...): a modal or modeless
// window owned by `parent`'s window, or a page embedded in `parent`.
class FormFactory {
  public:
    virtual ~FormFactory() = default;

    // nullptr when the template is unknown or cannot be built, or a page has no parent.
    virtual std::unique_ptr<Form> Create(int templateId, Form* parent, FormKind kind) = 0;
};

}  // namespace tavro::ui
