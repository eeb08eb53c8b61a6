#pragma once

#include <functional>
#include <string>

namespace tavro {

// The process entry: only one copy runs; it runs the main window until that ends.
class CApp {
  public:
    // A second copy returns 0 at once without running `mainWindow`; otherwise the lock is
    // held while `mainWindow` runs. The exit status is 0 either way.
    static int Run(const std::string& lockPath, const std::function<void()>& mainWindow);
};

}  // namespace tavro
