#pragma once

#include <memory>
#include <utility>

namespace tavro::qt {

// Qt APIs that adopt a heap object (a widget's parent, a table's items, a layout's widget)
// get it from here, so each allocation is handed to its owner at the point it is made.
template <typename T, typename... Args>
T* MakeQtOwned(Args&&... args) {
    return std::make_unique<T>(std::forward<Args>(args)...).release();
}

}  // namespace tavro::qt
