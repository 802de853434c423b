// The file manager and the web browser are the desktop's own, reached
// through xdg-open, which is started with an argument vector: no shell ever
// sees the folder or the address.
#include "platform/shell.h"

#include "spawn_linux.h"

namespace sarvo::platform {

bool OpenFolderWindow(const std::string& folder, std::string& why) {
    // xdg-open takes an argument starting with '-' for an option of its own.
    const std::string path = !folder.empty() && folder.front() == '-' ? "./" + folder : folder;
    return linux_spawn::SpawnDetached({"xdg-open", path}, why);
}

bool OpenWebAddress(const std::string& address, std::string& why) {
    if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) {
        why = "Web のアドレスではありません：" + address;
        return false;
    }
    return linux_spawn::SpawnDetached({"xdg-open", address}, why);
}

}  // namespace sarvo::platform
