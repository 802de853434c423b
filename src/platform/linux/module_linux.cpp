#include "module_linux.h"

#include <dlfcn.h>

#include "platform/program.h"

namespace sarvo::platform::linux_module {

// By the program's own folder, never by the library search path: a module of
// another build or another program must never be taken for ours.
void* LoadEntry(const char* fileName, const char* entry, std::string& why) {
    const std::string path = ProgramDirectory() + "/" + fileName;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* error = dlerror();
        why = "モジュールを読み込めませんでした：" + (error != nullptr ? std::string(error) : path);
        return nullptr;
    }
    void* found = dlsym(module, entry);
    if (found == nullptr) why = "モジュールに " + std::string(entry) + " がありません：" + path;
    return found;
}

}  // namespace sarvo::platform::linux_module
