#include "shell/CApp.h"

#include "shell/InstanceLock.h"

namespace tavro {

int CApp::Run(const std::string& lockPath, const std::function<void()>& mainWindow) {
    const std::optional<InstanceLock> lock = InstanceLock::Acquire(lockPath);
    if (!lock) {
        return 0;
    }
    mainWindow();
    return 0;
}

}  // namespace tavro
